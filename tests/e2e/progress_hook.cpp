// A hook that the driver sets on Setup's thread to follow the progress bar:
// it notes the range and every position set (into memory shared with the
// driver), and can hold Setup at one position until the driver lets it go,
// so that a Cancel lands between two entries of the installation.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <string>

#include "progress_record.h"

namespace {
constexpr int ProgressId = 1005;
ProgressRecord* record = nullptr;
bool opened = false;

std::wstring Named(const wchar_t* prefix) {
  return prefix + std::to_wstring(GetCurrentProcessId());
}

bool IsProgressBar(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return GetDlgCtrlID(window) == ProgressId && lstrcmpiW(name, PROGRESS_CLASSW) == 0;
}

void Open() {
  opened = true;
  HANDLE mapping =
      OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, Named(ProgressMemoryPrefix).c_str());
  if (mapping == nullptr) return;
  record = static_cast<ProgressRecord*>(
      MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProgressRecord)));
}

void Hold() {
  HANDLE held = OpenEventW(EVENT_MODIFY_STATE, FALSE, Named(ProgressHeldPrefix).c_str());
  HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, Named(ProgressReleasePrefix).c_str());
  if (held == nullptr || release == nullptr) return;
  SetEvent(held);
  WaitForSingleObject(release, 30000);
  CloseHandle(held);
  CloseHandle(release);
}

void Note(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == PBM_SETRANGE || message == PBM_SETRANGE32) {
    record->rangeMin = message == PBM_SETRANGE ? LOWORD(lParam) : LONG(wParam);
    record->rangeMax = message == PBM_SETRANGE ? HIWORD(lParam) : LONG(lParam);
    record->rangeTick = GetTickCount();
    return;
  }
  const LONG position = LONG(wParam);
  const LONG previous = record->lastPosition;
  // Setup tells a large bar only the positions that move it; never one
  // that is not after the one before.
  if (position <= record->lastPosition) record->outOfOrder++;
  record->positions++;
  record->lastPosition = position;
  record->lastTick = GetTickCount();
  if (position >= 0 && position < ProgressTicks) record->tickAt[position] = record->lastTick;
  // The first position at or past the one asked for (a large bar may
  // never be told that one).
  if (record->holdAt > 0 && position >= record->holdAt && previous < record->holdAt) Hold();
}
}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    ProgressHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if ((call->message == PBM_SETRANGE || call->message == PBM_SETRANGE32 ||
         call->message == PBM_SETPOS) &&
        IsProgressBar(call->hwnd)) {
      if (!opened) Open();
      if (record != nullptr) Note(call->message, call->wParam, call->lParam);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
