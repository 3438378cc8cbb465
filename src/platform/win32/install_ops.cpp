// The installation's operations on Windows: kernel32 files and profile
// strings, advapi32 registry, shell32 folders, the shell's link object.
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <windows.h>

#include <cstring>

#include "platform/install_platform.h"
#include "platform/win32/resolved_path.h"

void CreateFolder(const char* path) {
  CreateDirectoryA(path, nullptr);
}

bool DeleteFileAt(const char* path) {
  return DeleteFileA(path) != 0;
}

bool WriteWholeFile(const char* path, const uint8_t* data, uint32_t size) {
  // Opened on the name itself, never on what a link there points at: an
  // existing file is looked at through its handle (a link found there is
  // left alone and the write fails); a missing one is made anew, which a
  // link left where it points to, even to nothing, never lets happen.
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  bool ok = true;
  if (file != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info;
    ok = GetFileInformationByHandle(file, &info) != 0 &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && HandleIsAt(file, path) &&
         SetEndOfFile(file) != 0;
  } else if (GetLastError() == ERROR_FILE_NOT_FOUND) {
    file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
  } else {
    return false;
  }
  // A full disk may take fewer bytes than asked and still report success.
  while (ok && size > 0) {
    DWORD written = 0;
    ok = WriteFile(file, data, size, &written, nullptr) != 0 && written > 0 && written <= size;
    data += written;
    size -= ok ? written : 0;
  }
  ok = CloseHandle(file) != 0 && ok;
  return ok;
}

bool CopyFileOver(const char* from, const char* to) {
  return CopyFileA(from, to, FALSE) != 0;
}

bool PutFileInPlace(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void ReadProfileValue(const char* section, const char* key, const char* def, char* out,
                      int capacity, const char* file) {
  GetPrivateProfileStringA(section, key, def, out, DWORD(capacity), file);
}

namespace {

// The value as the profile functions hand it back: without the blanks
// around it, and without one pair of enclosing quotes.
void StoredForm(const char* value, const char** start, int* length) {
  const char* a = value;
  while (*a == ' ' || *a == '\t') a++;
  int n = lstrlenA(a);
  while (n > 0 && (a[n - 1] == ' ' || a[n - 1] == '\t')) n--;
  if (n >= 2 && (a[0] == '"' || a[0] == '\'') && a[n - 1] == a[0]) {
    a++;
    n -= 2;
  }
  *start = a;
  *length = n;
}

}  // namespace

bool WriteProfileValue(const char* section, const char* key, const char* value, const char* file) {
  if (!WritePrivateProfileStringA(section, key, value, file)) return false;
  // The system writes the whole file anew without looking at how much of it
  // reached the disk, and answers later reads from its cached copy. So the
  // copy is dropped and the value read back from the file itself; a line
  // break can't be a value, so it marks a missing key.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
  char stored[1024];
  const DWORD n = GetPrivateProfileStringA(section, key, "\n", stored, sizeof stored, file);
  const char* expected;
  int length;
  StoredForm(value, &expected, &length);
  return int(n) == length && length < int(sizeof stored) - 1 &&
         std::memcmp(stored, expected, size_t(length)) == 0;
}

void WriteLocalMachineKey(const char* parent, const char* key, const RegistryValue* values,
                          int count) {
  HKEY parentKey;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, parent, 0, KEY_ALL_ACCESS, &parentKey) != ERROR_SUCCESS)
    return;  // without rights to the parent there is nothing to write into
  HKEY productKey;
  if (RegCreateKeyExA(parentKey, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &productKey, nullptr) == ERROR_SUCCESS) {
    for (int i = 0; i < count; i++) {
      const DWORD number = values[i].number;
      if (values[i].data == nullptr)
        RegSetValueExA(productKey, values[i].name, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&number), sizeof number);
      else
        RegSetValueExA(productKey, values[i].name, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(values[i].data),
                       DWORD(lstrlenA(values[i].data) + 1));
    }
    RegFlushKey(productKey);
    RegCloseKey(productKey);
  }
  RegCloseKey(parentKey);
}

void GetShortPath(const char* path, char* out) {
  char shortPath[MAX_PATH];
  const DWORD n = GetShortPathNameA(path, shortPath, MAX_PATH);
  if (n > 0 && n < MAX_PATH) lstrcpynA(out, shortPath, MAX_PATH);
}

void GetShellFolder(bool desktop, char* out) {
  out[0] = '\0';
  LPITEMIDLIST items = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(
          nullptr, desktop ? CSIDL_DESKTOPDIRECTORY : CSIDL_PROGRAMS, &items)) &&
      items != nullptr) {
    SHGetPathFromIDListA(items, out);
    CoTaskMemFree(items);
  }
}

void InitializeCom() {
  CoInitialize(nullptr);
}

int32_t SaveShellLink(const char* target, const char* workingFolder, const char* description,
                      const char* arguments, int iconIndex, const char* linkPath) {
  IShellLinkA* link = nullptr;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(&link));
  if (FAILED(result)) return result;
  link->SetPath(target);
  link->SetWorkingDirectory(workingFolder);
  link->SetDescription(description);
  if (arguments != nullptr) link->SetArguments(arguments);
  if (iconIndex != 0) link->SetIconLocation(target, iconIndex);
  IPersistFile* file = nullptr;
  result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (FAILED(result)) {
    link->Release();
    return result;
  }
  WCHAR widePath[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) == 0) widePath[0] = 0;
  result = file->Save(widePath, TRUE);
  file->Release();
  link->Release();
  return result;
}

void GetSystemFolder(char* out, int capacity) {
  const UINT n = GetSystemDirectoryA(out, UINT(capacity));
  if (n == 0 || n >= UINT(capacity)) out[0] = '\0';
}

bool StartHiddenAndWait(const char* commandLine, int milliseconds) {
  char command[MAX_PATH * 2];
  lstrcpynA(command, commandLine, sizeof command);  // CreateProcessA may write to it
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                      nullptr, &startup, &process))
    return false;
  WaitForSingleObject(process.hProcess, DWORD(milliseconds));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}
