// The installation's operations on Windows: kernel32 files and profile
// strings, advapi32 registry, shell32 folders, the shell's link object.
#include <objbase.h>
#include <objidl.h>
#include <sddl.h>
#include <shlobj.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/install_platform.h"
#include "platform/win32/checked_folder.h"
#include "shared/profile_text.h"

void CreateFolder(const char* path) {
  CreateDirectoryA(path, nullptr);
}

void CreateGuardedFolder(const char* path) {
  // Full control for the system and the administrators, read and run for
  // users, full control of what one makes inside for its owner; inherited
  // by everything inside, and nothing taken over from the folder above.
  PSECURITY_DESCRIPTOR rules = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
          "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)",
          SDDL_REVISION_1, &rules, nullptr)) {
    CreateDirectoryA(path, nullptr);
    return;
  }
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, rules, FALSE};
  CreateDirectoryA(path, &attributes);
  LocalFree(rules);
}

int GetProtectedFolders(char (*folders)[260], int capacity) {
  int count = 0;
  for (const int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_WINDOWS})
    if (count < capacity && SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, folders[count])))
      count++;
  // A 32-bit program is told the 32-bit Program Files folder; the other one
  // is protected as well.
  if (count < capacity) {
    const DWORD n = GetEnvironmentVariableA("ProgramW6432", folders[count], 260);
    if (n > 0 && n < 260) count++;
  }
  return count;
}

void ReadProfileValue(const char* section, const char* key, const char* def, char* out,
                      int capacity, const char* file) {
  GetPrivateProfileStringA(section, key, def, out, DWORD(capacity), file);
}

int ReadProfileSection(const char* section, char* out, int capacity, const char* file) {
  return int(GetPrivateProfileSectionA(section, out, DWORD(capacity), file));
}

namespace {

constexpr LONG StatusNotFound = LONG(0xC0000034);  // STATUS_OBJECT_NAME_NOT_FOUND
constexpr ULONG FileKind = 0x40;                   // FILE_NON_DIRECTORY_FILE
constexpr DWORD LargestProfile = 16u << 20;

// The whole file at handle, from its current position, when it is no
// larger than a profile may be.
bool ReadWhole(HANDLE file, std::string* content) {
  const DWORD size = GetFileSize(file, nullptr);
  bool ok = size != INVALID_FILE_SIZE && size <= LargestProfile;
  if (ok) content->resize(size);
  for (DWORD done = 0; ok && done < size;) {
    DWORD n = 0;
    ok = ReadFile(file, &(*content)[done], size - done, &n, nullptr) != 0 && n > 0;
    done += n;
  }
  return ok;
}

// The whole of name in folder as it stands, read through a checked handle;
// empty when it is missing. False when it could not be read, or is a link.
bool ReadChecked(const CheckedFolder& folder, const WCHAR* name, std::string* content, char* link) {
  content->clear();
  LONG status;
  HANDLE file =
      folder.OpenChecked(name, GENERIC_READ, FILE_SHARE_READ, FILE_OPEN, FileKind, link, &status);
  if (file == nullptr) return status == StatusNotFound;
  const bool ok = ReadWhole(file, content);
  CloseHandle(file);
  return ok;
}

// Whether the file at handle holds text and nothing more, read through the
// handle that wrote it: never by its name, which may lead elsewhere by then.
bool ReadsBack(HANDLE handle, const std::string& text) {
  LARGE_INTEGER start = {};
  std::string stored;
  return SetFilePointerEx(handle, start, nullptr, FILE_BEGIN) && ReadWhole(handle, &stored) &&
         stored == text;
}

}  // namespace

bool WriteProfileValues(const char* place, const char* file, const ProfileValue* values, int count,
                        char* link) {
  CheckedFolder folder;
  std::string content;
  if (!folder.Open(place, file, false, link) || !ReadChecked(folder, folder.Name(), &content, link))
    return false;
  // The keys are set in memory as the profile functions would set them, and
  // the file is written whole under a fresh name through the handle that
  // made it, then put in the file's place through that same handle: no
  // name is written through, so a link swapped in at any moment is never
  // followed.
  for (int i = 0; i < count; i++)
    if (!SetProfileValue(&content, values[i].section, values[i].key, values[i].value)) return false;
  WCHAR copy[PathCapacity];
  FreshName(".ini", copy, PathCapacity);
  LONG status;
  HANDLE handle = folder.OpenChecked(copy, GENERIC_READ | GENERIC_WRITE | DELETE, 0, FILE_CREATE,
                                     FileKind, link, &status);
  if (handle == nullptr) return false;
  // Marked for deletion until it is put in place: a run killed meanwhile
  // leaves no copy behind.
  FILE_DISPOSITION_INFO disposition = {TRUE};
  const bool marked = SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                                 sizeof disposition) != 0;
  // A full disk may take fewer bytes than asked and still report success.
  bool whole = true;
  for (size_t done = 0; whole && done < content.size();) {
    DWORD n = 0;
    const DWORD ask = DWORD(content.size() - done);
    whole = WriteFile(handle, content.data() + done, ask, &n, nullptr) != 0 && n > 0 && n <= ask;
    done += n;
  }
  whole = whole && FlushFileBuffers(handle) && ReadsBack(handle, content);
  disposition.DeleteFile = FALSE;
  bool put =
      whole && (!marked || SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                                      sizeof disposition) != 0);
  // The fresh name must still show the file written: a name exchanged from
  // outside meanwhile (which the share mode keeps from happening on Windows,
  // not under Wine) would otherwise be what the rename moves into place.
  if (put && folder.Look(copy, handle) != CheckedFolder::Entry::Same) {
    folder.NameLink(copy, link);
    put = false;
  }
  put = put && folder.PutUnder(handle, folder.Name(), link);
  // Marked again only while the copy stands under its fresh name: once
  // renamed, the handle's path (all Wine deletes by) is the file's place.
  if (!put && folder.Look(copy, handle) == CheckedFolder::Entry::Same) {
    disposition.DeleteFile = TRUE;
    SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
  }
  CloseHandle(handle);
  return put;
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
                      const char* arguments, int iconIndex, const char* place, const char* linkPath,
                      char* link) {
  constexpr HRESULT Failed = E_FAIL;
  if (link != nullptr) link[0] = '\0';
  // The link object is saved into memory, and its bytes are written under
  // the shortcut's own name through a checked handle, as an installed file
  // is: nothing is ever saved by name, and a run ended at any moment leaves
  // no file but the one the log already lists.
  IShellLinkA* shellLink = nullptr;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(&shellLink));
  if (FAILED(result)) return result;
  shellLink->SetPath(target);
  shellLink->SetWorkingDirectory(workingFolder);
  shellLink->SetDescription(description);
  if (arguments != nullptr) shellLink->SetArguments(arguments);
  if (iconIndex != 0) shellLink->SetIconLocation(target, iconIndex);
  IPersistStream* persist = nullptr;
  IStream* stream = nullptr;
  result = shellLink->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&persist));
  if (SUCCEEDED(result)) result = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
  if (SUCCEEDED(result)) result = persist->Save(stream, TRUE);
  HGLOBAL memory = nullptr;
  STATSTG facts = {};
  if (SUCCEEDED(result)) result = GetHGlobalFromStream(stream, &memory);
  if (SUCCEEDED(result)) result = stream->Stat(&facts, STATFLAG_NONAME);
  if (SUCCEEDED(result) && facts.cbSize.QuadPart > GlobalSize(memory)) result = Failed;
  if (SUCCEEDED(result)) {
    const void* bytes = GlobalLock(memory);
    FileBeingWritten file = bytes == nullptr ? nullptr : StartFile(place, linkPath, link);
    if (file == nullptr) {
      result = Failed;
    } else {
      const bool whole =
          WritePiece(file, static_cast<const uint8_t*>(bytes), uint32_t(facts.cbSize.QuadPart));
      // A shortcut cut short is no shortcut: deleted through its own handle.
      if (!EndFile(file, whole ? FileEnd::KeepOnDisk : FileEnd::Delete)) result = Failed;
    }
    if (bytes != nullptr) GlobalUnlock(memory);
  }
  if (stream != nullptr) stream->Release();
  if (persist != nullptr) persist->Release();
  shellLink->Release();
  return result;
}

void GetSystemFolder(char* out, int capacity) {
  const UINT n = GetSystemDirectoryA(out, UINT(capacity));
  if (n == 0 || n >= UINT(capacity)) out[0] = '\0';
}

bool StartHiddenAndWait(const char* commandLine, int milliseconds, int64_t* exitCode) {
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
  DWORD code = 0;
  const bool ended = WaitForSingleObject(process.hProcess, DWORD(milliseconds)) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(process.hProcess, &code);
  if (exitCode != nullptr) *exitCode = ended ? int64_t(code) : -1;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}
