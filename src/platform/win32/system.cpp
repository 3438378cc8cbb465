// Messages, strings and resources, message boxes, sounds, processes and memory.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_handles.h"

bool PumpMessages() {
  bool took = false;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    took = true;
    // Offered to the dialog manager first, as a modeless wizard does.
    if (!IsDialogMessageA(nullptr, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return took;
}

void SleepMilliseconds(int milliseconds) {
  Sleep(milliseconds);
}

int LoadResourceString(int id, char* text, int capacity) {
  text[0] = '\0';
  return LoadStringA(ProgramInstance(), id, text, capacity);
}

bool FindArchiveResource(int id, const uint8_t** data, uint32_t* size) {
  *data = nullptr;
  *size = 0;
  HRSRC found = FindResourceA(ProgramInstance(), MAKEINTRESOURCEA(id), "RARFILE");
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(ProgramInstance(), found);
  if (loaded == nullptr) return false;
  *size = SizeofResource(ProgramInstance(), found);
  *data = static_cast<const uint8_t*>(LockResource(loaded));
  if (*data == nullptr) *size = 0;
  return *data != nullptr;
}

void ShowMessageBox(Window owner, const char* text, const char* caption) {
  MessageBoxA(ToHwnd(owner), text, caption, MB_OK);
}

void SoundSimpleBeep() {
  MessageBeep(0xFFFFFFFF);
}

void StartProgram(const char* commandLine) {
  WinExec(commandLine, SW_SHOW);
}

uint32_t TotalPhysicalBytes() {
  MEMORYSTATUS status = {};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  return uint32_t(status.dwTotalPhys);
}
