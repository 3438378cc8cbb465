// Messages, strings and resources, message boxes, sounds, processes and memory.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/shown_text.h"
#include "platform/win32/win32_handles.h"

bool PumpMessages() {
  bool took = false;
  MSG message;
  // Wide, as the dialogs are: a character typed in any language reaches an
  // edit as it was typed.
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    took = true;
    // Offered to the dialog manager first, as a modeless wizard does.
    if (!IsDialogMessageW(nullptr, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return took;
}

void SleepMilliseconds(int milliseconds) {
  Sleep(milliseconds);
}

int LoadResourceString(int id, char* text, int capacity) {
  // The string table holds UTF-16; LoadStringA would turn a Russian string
  // into question marks on a system whose code page is not 1251.
  text[0] = '\0';
  if (capacity <= 0) return 0;
  WCHAR wide[1024];
  int length = LoadStringW(ProgramInstance(), id, wide, sizeof wide / sizeof wide[0]);
  if (length <= 0) return 0;
  if (length > capacity - 1) length = capacity - 1;  // cut as LoadStringA cuts
  int n = WideCharToMultiByte(ShownTextCodePage(), 0, wide, length, text, capacity - 1, nullptr,
                              nullptr);
  text[n > 0 ? n : 0] = '\0';
  return n > 0 ? n : 0;
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

bool FindArchiveCheckValue(int id, uint32_t* value) {
  HRSRC found =
      FindResourceA(ProgramInstance(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (found == nullptr || SizeofResource(ProgramInstance(), found) != 4) return false;
  HGLOBAL loaded = LoadResource(ProgramInstance(), found);
  const uint8_t* p =
      loaded != nullptr ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  if (p == nullptr) return false;
  *value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  return true;
}

void ShowMessageBox(Window owner, const char* text, const char* caption) {
  ShownText wideText(text);
  if (caption == nullptr) {
    MessageBoxW(ToHwnd(owner), wideText.Wide(), nullptr, MB_OK);  // the system's own caption
    return;
  }
  MessageBoxW(ToHwnd(owner), wideText.Wide(), ShownText(caption).Wide(), MB_OK);
}

void SoundSimpleBeep() {
  MessageBeep(0xFFFFFFFF);
}

void StartProgram(const char* programPath) {
  // The program is named by its path; its command line only repeats that
  // path, quoted, as the program's own first argument.
  char commandLine[MAX_PATH + 3];
  const int length = lstrlenA(programPath);
  if (length + 3 > int(sizeof commandLine)) return;
  commandLine[0] = '"';
  CopyMemory(commandLine + 1, programPath, length);
  commandLine[length + 1] = '"';
  commandLine[length + 2] = '\0';
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process = {};
  if (CreateProcessA(programPath, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

uint32_t TotalPhysicalBytes() {
  MEMORYSTATUS status = {};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  // A 32-bit build is told at most 4 GiB; a 64-bit one (built for checks
  // only) is held to the same.
  const uint64_t total = status.dwTotalPhys;
  return total > UINT32_MAX ? UINT32_MAX : uint32_t(total);
}
