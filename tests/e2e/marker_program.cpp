// A stand-in for a program that must never be started (C:\Program.exe in
// front of "C:\Program Files\"): started anyway, it notes its command line
// in NAME-started.txt beside itself, and ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  char path[MAX_PATH + 16];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 1;
  char* end = path + n;
  for (char* p = end; p > path && p[-1] != '\\'; p--)
    if (p[-1] == '.') {
      end = p - 1;
      break;
    }
  lstrcpyA(end, "-started.txt");
  HANDLE note = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (note == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(note, commandLine, DWORD(lstrlenA(commandLine)), &written, nullptr);
  CloseHandle(note);
  return 0;
}
