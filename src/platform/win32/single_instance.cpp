// One Setup at a time: a named mutex that lives as long as the Setup that
// made it, and the way to the running Setup's frame for a second one.
#include <windows.h>

#include "platform/platform.h"

namespace {

// Machine-wide, since the installation is: a Setup of another session
// counts too. The object exists while any process has it open.
const char ClaimName[] = "Global\\OrbivueSetupRunning";
// The frame's caption, as resources/setup.rc gives it.
const char FrameCaption[] = "Installation Orbivue ";
constexpr int FrameWaitSteps = 40;  // of 50 ms: the first Setup may be starting

}  // namespace

bool ClaimSingleInstance() {
  // Never closed: the system closes it when the process ends, however it ends.
  HANDLE claim = CreateMutexA(nullptr, FALSE, ClaimName);
  const DWORD error = GetLastError();
  if (claim == nullptr) {
    // A claim made by another user's Setup can't be opened; any other failure
    // (a system without such names) must not keep Setup from running.
    return error != ERROR_ACCESS_DENIED;
  }
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(claim);
    return false;
  }
  return true;
}

void BringRunningSetupToFront() {
  HWND frame = nullptr;
  for (int i = 0; i < FrameWaitSteps; i++) {
    frame = FindWindowA("#32770", FrameCaption);
    if (frame != nullptr) break;
    Sleep(50);
  }
  if (frame == nullptr) return;
  if (IsIconic(frame)) ShowWindow(frame, SW_RESTORE);
  // A message box or the folder browser over the frame is what the user
  // answers next, so that comes to the front.
  SetForegroundWindow(GetLastActivePopup(frame));
}
