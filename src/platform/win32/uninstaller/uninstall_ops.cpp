// The uninstaller's operations on Windows: kernel32 files, folders and
// processes, advapi32 registry.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/uninstall_platform.h"
#include "platform/win32/checked_folder.h"

bool GetProgramPath(char* out, int capacity) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  // Started through an 8.3 path (the shortcut's target is one), the program
  // still compares its folder with the long paths that Setup logged.
  const DWORD m = GetLongPathNameA(path, out, DWORD(capacity));
  if (m > 0 && m < DWORD(capacity)) return true;
  return lstrcpynA(out, path, capacity) != nullptr && n < DWORD(capacity);
}

bool RemoveFile(const char* place, const char* path, char* link) {
  return DeleteChecked(place, path, false, link);
}

bool RemoveEmptyFolder(const char* place, const char* path, char* link) {
  return DeleteChecked(place, path, true, link);
}

bool ListFolder(const char* folder, std::vector<FolderName>* names) {
  char pattern[MAX_PATH];
  const int length = lstrlenA(folder);
  if (length + 3 > MAX_PATH) return false;
  lstrcpyA(pattern, folder);
  lstrcatA(pattern, length > 0 && folder[length - 1] == '\\' ? "*" : "\\*");
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    names->push_back({found.cFileName, found.cAlternateFileName});
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return true;
}

std::vector<std::string> RegisteredServersNamed(const char* fileName) {
  std::vector<std::string> servers;
  HKEY classes;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &classes) != ERROR_SUCCESS)
    return servers;
  char name[256];
  for (DWORD i = 0;; i++) {
    DWORD nameLength = sizeof name;
    const LONG r = RegEnumKeyExA(classes, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS || nameLength + sizeof "\\InprocServer32" > sizeof name) continue;
    lstrcatA(name, "\\InprocServer32");
    HKEY server;
    if (RegOpenKeyExA(classes, name, 0, KEY_READ, &server) != ERROR_SUCCESS) continue;
    char path[MAX_PATH + 1];
    DWORD type = 0, size = MAX_PATH;
    const LONG q =
        RegQueryValueExA(server, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(server);
    if (q != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) continue;
    path[size < MAX_PATH ? size : MAX_PATH] = '\0';  // may lack its zero
    if (path[0] == '"') {                            // some servers are registered quoted
      const int n = lstrlenA(path);
      if (n >= 2 && path[n - 1] == '"') path[n - 1] = '\0';
      MoveMemory(path, path + 1, size_t(n));
    }
    const char* file = path;
    for (const char* p = path; *p != '\0'; p = CharNextA(p))
      if (*p == '\\') file = p + 1;
    if (lstrcmpiA(file, fileName) == 0) servers.push_back(path);
  }
  RegCloseKey(classes);
  return servers;
}

bool ReadLocalMachineValue(const char* parent, const char* key, const char* name, char* out,
                           int capacity) {
  char path[MAX_PATH];
  if (lstrlenA(parent) + lstrlenA(key) >= MAX_PATH) return false;
  lstrcpyA(path, parent);
  lstrcatA(path, key);
  HKEY handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = DWORD(capacity - 1);
  const LONG r =
      RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(out), &size);
  RegCloseKey(handle);
  if (r != ERROR_SUCCESS || type != REG_SZ) return false;
  out[size < DWORD(capacity) ? size : DWORD(capacity - 1)] = '\0';  // may lack its zero
  return true;
}

bool DeleteLocalMachineKey(const char* parent, const char* key) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, parent, 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS)
    return false;
  const LONG r = RegDeleteKeyA(handle, key);
  RegCloseKey(handle);
  return r == ERROR_SUCCESS;
}

bool RunHiddenToEnd(const char* commandLine, int milliseconds, uint32_t* exitCode) {
  char command[2 * MAX_PATH + 64];
  if (lstrlenA(commandLine) >= int(sizeof command)) return false;
  lstrcpyA(command, commandLine);  // CreateProcessA may write to it
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &process))
    return false;
  const bool ended = WaitForSingleObject(process.hProcess, DWORD(milliseconds)) == WAIT_OBJECT_0;
  DWORD code = 1;
  if (ended) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  *exitCode = code;
  return ended;
}

bool MoveProgramToTemp(const char* program, char* moved, int capacity) {
  char folder[MAX_PATH], name[MAX_PATH];
  const DWORD n = GetTempPathA(MAX_PATH, folder);
  if (n == 0 || n >= MAX_PATH || GetTempFileNameA(folder, "oun", 0, name) == 0) return false;
  // A running program's file may be renamed though not deleted; the name
  // made for it is taken over.
  if (lstrlenA(name) >= capacity || !MoveFileExA(program, name, MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(name);
    return false;
  }
  lstrcpyA(moved, name);
  return true;
}

bool DeleteAtRestart(const char* path) {
  return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}
