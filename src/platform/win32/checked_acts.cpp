// The acts below a product place on Windows, each through handles that a
// CheckedFolder reached and checked: made, written, renamed and deleted
// where the check was made, whatever is swapped in meanwhile.
#include <windows.h>

#include <memory>

#include "platform/install_platform.h"
#include "platform/win32/checked_folder.h"
#include "shared/text_buffers.h"

namespace {

constexpr LONG StatusNotFound = LONG(0xC0000034);   // STATUS_OBJECT_NAME_NOT_FOUND
constexpr LONG StatusCollision = LONG(0xC0000035);  // STATUS_OBJECT_NAME_COLLISION
constexpr ULONG FileKind = 0x40;                    // FILE_NON_DIRECTORY_FILE
constexpr ULONG FolderKind = 0x01;                  // FILE_DIRECTORY_FILE

// The folder of the last act on a file, kept for the next act in the same
// folder: an installation or a removal acts on file after file in one
// folder, and the walk down from the place is most of an act's cost. Its
// folders stay held without leave to move or rename them, so that what was
// checked is what the next act reaches.
std::shared_ptr<CheckedFolder> heldFolder;
char heldPlace[PathCapacity] = "";

// The checked folder holding path's last name, the held one when it is
// that folder; null when it could not be reached (link as for the acts).
std::shared_ptr<CheckedFolder> FolderFor(const char* place, const char* path, bool makeMissing,
                                         char* link) {
  if (heldFolder != nullptr && lstrcmpA(heldPlace, place) == 0 && heldFolder->Retarget(path)) {
    if (link != nullptr) link[0] = '\0';
    return heldFolder;
  }
  // Let go before walking: the walk may have to make what it held.
  heldFolder.reset();
  auto folder = std::make_shared<CheckedFolder>();
  if (!folder->Open(place, path, makeMissing, link)) return nullptr;
  if (CopyText(heldPlace, place, sizeof heldPlace)) heldFolder = folder;
  return folder;
}

}  // namespace

void ReleaseHeldFolders() {
  heldFolder.reset();
}

bool DeleteChecked(const char* place, const char* path, bool isFolder, char* link) {
  // A folder that goes must not be held, by this process either.
  if (isFolder) ReleaseHeldFolders();
  const std::shared_ptr<CheckedFolder> held = FolderFor(place, path, false, link);
  if (held == nullptr) return false;
  const CheckedFolder& folder = *held;
  LONG status;
  HANDLE handle =
      folder.OpenChecked(folder.Name(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                         isFolder ? FolderKind : FileKind, link, &status);
  if (handle == nullptr) return false;
  FILE_BASIC_INFO info;
  bool ok = GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info) != 0;
  if (ok && (info.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    FILE_BASIC_INFO basic = {};  // times of zero stay as they are
    basic.FileAttributes = info.FileAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
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
  const std::shared_ptr<CheckedFolder> held = FolderFor(place, path, true, link);
  if (held == nullptr) return false;
  const CheckedFolder& folder = *held;
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

struct FileBeingWrittenObject {
  std::shared_ptr<CheckedFolder> folder;  // held while the file is written
  HANDLE file = nullptr;
  bool whole = true;
};

FileBeingWritten StartFile(const char* place, const char* path, char* link) {
  FileBeingWritten f = new FileBeingWrittenObject;
  f->folder = FolderFor(place, path, false, link);
  if (f->folder == nullptr) {
    delete f;
    return nullptr;
  }
  const CheckedFolder& folder = *f->folder;
  // Made anew where nothing stands, which a link left there, even to
  // nowhere, never lets happen (a call that opens or makes would make the
  // file a dangling link names); an existing file is opened, and truncated
  // only once the listing shows it is the one opened. Made first: a first
  // installation finds every name free. Delete access lets a file that
  // failed go through the same handle.
  constexpr DWORD Access = GENERIC_READ | GENERIC_WRITE | DELETE;
  LONG status;
  HANDLE file = folder.OpenChecked(folder.Name(), Access, 0, FILE_CREATE, FileKind, link, &status);
  bool made = file != nullptr;
  if (file == nullptr && status == StatusCollision) {
    file = folder.OpenChecked(folder.Name(), Access, 0, FILE_OPEN, FileKind, link, &status);
    // A file with a second name is someone else's file too: writing it
    // would change what that name holds.
    FILE_STANDARD_INFO standard;
    if (file != nullptr &&
        (GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) == 0 ||
         standard.NumberOfLinks != 1)) {
      CloseHandle(file);
      folder.NameLink(folder.Name(), link);
      delete f;
      return nullptr;
    }
  }
  if (file == nullptr && status == StatusNotFound) {  // gone again in between
    file = folder.OpenChecked(folder.Name(), Access, 0, FILE_CREATE, FileKind, link, &status);
    made = file != nullptr;
  }
  // A file made now is empty already. Only an existing one is truncated:
  // Wine refuses even an empty file's truncation on a full disk, and the
  // file just made would then have stayed behind.
  if (file == nullptr || (!made && SetEndOfFile(file) == 0)) {
    if (file != nullptr) CloseHandle(file);
    delete f;
    return nullptr;
  }
  f->file = file;
  return f;
}

bool WritePiece(FileBeingWritten f, const uint8_t* data, uint32_t size) {
  // A full disk may take fewer bytes than asked and still report success.
  while (f->whole && size > 0) {
    DWORD written = 0;
    f->whole =
        WriteFile(f->file, data, size, &written, nullptr) != 0 && written > 0 && written <= size;
    data += written;
    size -= f->whole ? written : 0;
  }
  return f->whole;
}

bool EndFile(FileBeingWritten f, FileEnd end) {
  bool ok = f->whole;
  if (end == FileEnd::KeepOnDisk) {
    ok = FlushFileBuffers(f->file) != 0 && ok;
  } else if (end == FileEnd::Delete) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    SetFileInformationByHandle(f->file, FileDispositionInfo, &disposition, sizeof disposition);
    ok = false;
  }
  ok = CloseHandle(f->file) != 0 && ok;
  delete f;
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
