// The acts below a product place on Windows, each through handles that a
// CheckedFolder reached and checked: made, written, renamed and deleted
// where the check was made, whatever is swapped in meanwhile.
#include <windows.h>

#include "platform/install_platform.h"
#include "platform/win32/checked_folder.h"

namespace {

constexpr LONG StatusNotFound = LONG(0xC0000034);   // STATUS_OBJECT_NAME_NOT_FOUND
constexpr LONG StatusCollision = LONG(0xC0000035);  // STATUS_OBJECT_NAME_COLLISION
constexpr ULONG FileKind = 0x40;                    // FILE_NON_DIRECTORY_FILE
constexpr ULONG FolderKind = 0x01;                  // FILE_DIRECTORY_FILE

}  // namespace

bool DeleteChecked(const char* place, const char* path, bool isFolder, char* link) {
  CheckedFolder folder;
  if (!folder.Open(place, path, false, link)) return false;
  LONG status;
  HANDLE handle =
      folder.OpenChecked(folder.Name(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                         isFolder ? FolderKind : FileKind, link, &status);
  if (handle == nullptr) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool ok = GetFileInformationByHandle(handle, &info) != 0;
  if (ok && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    FILE_BASIC_INFO basic = {};  // times of zero stay as they are
    basic.FileAttributes = info.dwFileAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    ok = SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic) != 0;
  }
  if (ok) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    ok = SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                    sizeof disposition) != 0;
  }
  CloseHandle(handle);
  // The name goes when the handle closes; a folder that was not empty stays.
  return ok && folder.Look(folder.Name(), nullptr) == CheckedFolder::Entry::Missing;
}

bool CreateFolderIn(const char* place, const char* path, char* link) {
  CheckedFolder folder;
  if (!folder.Open(place, path, true, link)) return false;
  LONG status;
  HANDLE handle = folder.OpenChecked(folder.Name(), FILE_LIST_DIRECTORY,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     FILE_OPEN, FolderKind, link, &status);
  if (handle == nullptr && status == StatusNotFound)
    handle = folder.OpenChecked(folder.Name(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_CREATE,
                                FolderKind, link, &status);
  if (handle == nullptr) return false;
  CloseHandle(handle);
  return true;
}

bool DeleteFileIn(const char* place, const char* path, char* link) {
  return DeleteChecked(place, path, false, link);
}

bool WriteWholeFile(const char* place, const char* path, const uint8_t* data, uint32_t size,
                    char* link) {
  CheckedFolder folder;
  if (!folder.Open(place, path, false, link)) return false;
  // An existing file is truncated only once the listing shows it is the one
  // opened; a missing one is made anew, which a link left there, even to
  // nowhere, never lets happen.
  LONG status;
  HANDLE file = folder.OpenChecked(folder.Name(), GENERIC_READ | GENERIC_WRITE, 0, FILE_OPEN,
                                   FileKind, link, &status);
  if (file == nullptr && status == StatusNotFound)
    file = folder.OpenChecked(folder.Name(), GENERIC_READ | GENERIC_WRITE, 0, FILE_CREATE, FileKind,
                              link, &status);
  if (file == nullptr && status == StatusCollision)
    file = folder.OpenChecked(folder.Name(), GENERIC_READ | GENERIC_WRITE, 0, FILE_OPEN, FileKind,
                              link, &status);
  if (file == nullptr) return false;
  bool ok = SetEndOfFile(file) != 0;
  // A full disk may take fewer bytes than asked and still report success.
  while (ok && size > 0) {
    DWORD written = 0;
    ok = WriteFile(file, data, size, &written, nullptr) != 0 && written > 0 && written <= size;
    data += written;
    size -= ok ? written : 0;
  }
  ok = FlushFileBuffers(file) != 0 && ok;
  ok = CloseHandle(file) != 0 && ok;
  return ok;
}

bool PutFileInPlace(const char* place, const char* from, const char* to, char* link) {
  CheckedFolder folder;
  if (!folder.Open(place, from, false, link)) return false;
  const char* slash = LastBackslash(to);
  WCHAR target[PathCapacity];
  if (slash == nullptr ||
      MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, slash + 1, -1, target, PathCapacity) == 0)
    return false;
  LONG status;
  HANDLE file =
      folder.OpenChecked(folder.Name(), DELETE | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN, FileKind, link, &status);
  if (file == nullptr) return false;
  const bool put = folder.PutUnder(file, target, link);
  CloseHandle(file);
  return put;
}

struct HeldFileObject {
  CheckedFolder folder;
  HANDLE file = nullptr;
};

HeldFile HoldFile(const char* place, const char* path, char* link) {
  HeldFile held = new HeldFileObject;
  LONG status;
  if (held->folder.Open(place, path, false, link))
    held->file = held->folder.OpenChecked(held->folder.Name(), GENERIC_READ, FILE_SHARE_READ,
                                          FILE_OPEN, FileKind, link, &status);
  if (held->file != nullptr) return held;
  delete held;
  return nullptr;
}

void ReleaseFile(HeldFile held) {
  if (held == nullptr) return;
  CloseHandle(held->file);
  delete held;
}
