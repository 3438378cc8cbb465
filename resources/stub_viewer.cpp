// The viewer (Orbivue.exe) of the stand-in payload: when started, it writes
// its command line to viewer-started.txt beside itself and ends, so that a
// test can see that the wizard started it, and from where.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  char* slash = std::strrchr(path, '\\');
  if (slash == nullptr) return 1;
  const char marker[] = "viewer-started.txt";
  if (size_t(slash + 1 - path) + sizeof marker > MAX_PATH) return 1;
  std::memcpy(slash + 1, marker, sizeof marker);
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const char* commandLine = GetCommandLineA();
  DWORD written = 0;
  WriteFile(file, commandLine, DWORD(std::strlen(commandLine)), &written, nullptr);
  CloseHandle(file);
  return 0;
}
