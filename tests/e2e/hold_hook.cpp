// A hook that the driver sets on Setup's thread so that the extraction page
// can be seen: at the first paint of the progress bar after it has moved,
// Setup waits (at most 30 seconds) until the driver has looked and lets it go.
// Setup cannot answer while it waits, so the texts of its window are measured
// just before (see text_fit.cpp).
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <string>

#include "text_fit_record.h"

namespace {
bool held = false;
constexpr int ProgressId = 1005;

bool IsMovedProgressBar(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return GetDlgCtrlID(window) == ProgressId && lstrcmpiW(name, PROGRESS_CLASSW) == 0 &&
         SendMessageW(window, PBM_GETPOS, 0, 0) >= 1;
}

void Hold(HWND window) {
  std::wstring suffix = std::to_wstring(GetCurrentProcessId());
  HANDLE heldEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, (L"OrbivueE2E.Held." + suffix).c_str());
  HANDLE releaseEvent = OpenEventW(SYNCHRONIZE, FALSE, (L"OrbivueE2E.Release." + suffix).c_str());
  if (heldEvent == nullptr || releaseEvent == nullptr) return;
  // An empty look at the queue lets Wine hand the painted windows to the screen.
  MSG message;
  PeekMessageW(&message, nullptr, WM_APP + 0x3FF0, WM_APP + 0x3FF0, PM_NOREMOVE);
  MeasureTextsOf(GetAncestor(window, GA_ROOT));
  SetEvent(heldEvent);
  WaitForSingleObject(releaseEvent, 30000);
  CloseHandle(heldEvent);
  CloseHandle(releaseEvent);
}
}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    HoldHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && !held) {
    const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (call->message == WM_PAINT && IsMovedProgressBar(call->hwnd)) {
      held = true;
      Hold(call->hwnd);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
