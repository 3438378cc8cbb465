#include "platform/win32/checked_folder.h"

#include <winternl.h>

#include <cstddef>

#include "shared/text_buffers.h"

extern "C" {
NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                    FILE_INFORMATION_CLASS, BOOLEAN, PUNICODE_STRING, BOOLEAN);
NTSTATUS NTAPI NtSetInformationFile(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS);
BOOLEAN NTAPI SystemFunction036(PVOID buffer, ULONG length);  // RtlGenRandom
}

namespace {

constexpr LONG StatusNotFound = LONG(0xC0000034);   // STATUS_OBJECT_NAME_NOT_FOUND
constexpr LONG StatusCollision = LONG(0xC0000035);  // STATUS_OBJECT_NAME_COLLISION
constexpr ULONG OpenReparsePoint = 0x00200000;      // FILE_OPEN_REPARSE_POINT
constexpr auto IdBothDirectoryClass = FILE_INFORMATION_CLASS(37);
constexpr auto RenameClass = FILE_INFORMATION_CLASS(10);
constexpr ACCESS_MASK WalkAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

// FILE_ID_BOTH_DIR_INFORMATION, room for one name.
struct ListedEntry {
  ULONG nextEntryOffset, fileIndex;
  LARGE_INTEGER creation, access, write, change, endOfFile, allocation;
  ULONG attributes, nameBytes, eaSize;
  CCHAR shortNameBytes;
  WCHAR shortName[12];
  LARGE_INTEGER fileId;
  WCHAR name[PathCapacity];
};

// FILE_NAME_INFORMATION, room for a path longer than any this program
// names: what a link resolves to may lie anywhere.
struct NameOfHandle {
  ULONG nameBytes;
  WCHAR name[2048];
};
constexpr auto NameClass = FILE_INFORMATION_CLASS(9);

// FILE_RENAME_INFORMATION, room for one name.
struct RenameRequest {
  BOOLEAN replaceIfExists;
  HANDLE rootDirectory;
  ULONG nameBytes;
  WCHAR name[PathCapacity];
};

bool ToWide(const char* text, int length, WCHAR* out, int capacity) {
  const int n = length == 0 ? 0
                            : MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, length, out,
                                                  capacity - 1);
  if (n <= 0 && length != 0) return false;
  out[n] = 0;
  return true;
}

// What the listing is held against, asked of the handle alone: the system's
// GetFileInformationByHandle also asks for the volume's serial number, which
// costs more than all the rest of an act.
struct HandleFacts {
  ULONG attributes;
  LONGLONG index, creation;
};

bool FactsOf(HANDLE handle, HandleFacts* facts) {
  FILE_BASIC_INFORMATION basic;
  FILE_INTERNAL_INFORMATION internal;
  IO_STATUS_BLOCK io;
  if (NtQueryInformationFile(handle, &io, &basic, sizeof basic, FileBasicInformation) != 0 ||
      NtQueryInformationFile(handle, &io, &internal, sizeof internal, FileInternalInformation) != 0)
    return false;
  *facts = {basic.FileAttributes, internal.IndexNumber.QuadPart, basic.CreationTime.QuadPart};
  return true;
}

bool SameName(const WCHAR* a, ULONG aBytes, const WCHAR* b) {
  const int n = lstrlenW(b);
  return int(aBytes / sizeof(WCHAR)) == n &&
         CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a, n, b, n) == CSTR_EQUAL;
}

bool SameText(const WCHAR* a, ULONG aBytes, const WCHAR* b, ULONG bBytes) {
  return aBytes == bBytes &&
         CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a, int(aBytes / sizeof(WCHAR)), b,
                        int(bBytes / sizeof(WCHAR))) == CSTR_EQUAL;
}

// Whether the handle's own name is folder's name and then one of the names
// the listing gave. Where a link to a file cannot be opened as itself
// (Wine opens the file it leads to, and its listing shows that file's
// facts under the link's name), the handle still names where it really
// is, which lies elsewhere.
bool NamedInFolder(HANDLE opened, HANDLE folder, const ListedEntry& entry) {
  NameOfHandle own, above;
  IO_STATUS_BLOCK io;
  if (NtQueryInformationFile(opened, &io, &own, sizeof own, NameClass) != 0 ||
      NtQueryInformationFile(folder, &io, &above, sizeof above, NameClass) != 0 ||
      own.nameBytes > sizeof own.name || above.nameBytes > sizeof above.name)
    return false;
  // The root's name ends in its separator; any other folder's does not.
  ULONG folderBytes = above.nameBytes;
  if (folderBytes >= sizeof(WCHAR) && above.name[folderBytes / sizeof(WCHAR) - 1] == L'\\')
    folderBytes -= sizeof(WCHAR);
  const ULONG lastStart = folderBytes + sizeof(WCHAR);
  if (own.nameBytes <= lastStart || !SameText(own.name, folderBytes, above.name, folderBytes) ||
      own.name[folderBytes / sizeof(WCHAR)] != L'\\')
    return false;
  const WCHAR* last = own.name + lastStart / sizeof(WCHAR);
  const ULONG lastBytes = own.nameBytes - lastStart;
  return SameText(last, lastBytes, entry.name, entry.nameBytes) ||
         SameText(last, lastBytes, entry.shortName, ULONG(entry.shortNameBytes));
}

}  // namespace

CheckedFolder::~CheckedFolder() {
  for (HANDLE h : folders_) CloseHandle(h);
}

bool CheckedFolder::Open(const char* place, const char* path, bool makeMissing, char* link) {
  if (link != nullptr) link[0] = '\0';
  char whole[PathCapacity];
  if (!CopyText(whole, path, sizeof whole)) return false;
  whole[LengthWithoutTrailingBackslash(whole)] = '\0';
  const size_t placeLength = LengthWithoutTrailingBackslash(place);
  // Where the walk starts, opened by name, and the names below it.
  char start[PathCapacity];
  const char* rest;
  if (placeLength == 0) {
    lstrcpyA(start, ".");  // a bare name: in the current folder
    rest = whole;
  } else if (lstrlenA(whole) <= int(placeLength)) {
    const char* slash = LastBackslash(whole);
    if (slash == nullptr) return false;
    lstrcpynA(start, whole, int(slash - whole) + 1);
    rest = slash + 1;
  } else {
    if (placeLength + 1 > sizeof start) return false;
    lstrcpynA(start, whole, int(placeLength) + 1);
    rest = whole + placeLength + 1;
  }
  CopyText(folderPath_, start, sizeof folderPath_);
  belowPlace_ = placeLength != 0 && lstrlenA(whole) > int(placeLength);
  if (lstrlenA(start) == 2 && start[1] == ':')
    AppendText(start, "\\", sizeof start);  // "c:" is the root "c:\"
  HANDLE first = CreateFileA(start, WalkAccess | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (first == INVALID_HANDLE_VALUE) return false;
  folders_.push_back(first);
  for (const char* name = rest;;) {
    const char* last = nullptr;
    const char* end = EndOfName(name, &last);
    char component[PathCapacity];
    if (end == name || end - name >= PathCapacity) return false;
    lstrcpynA(component, name, int(end - name) + 1);
    if (*end == '\0')
      return ToWide(component, lstrlenA(component), name_, PathCapacity) && Recheck(link);
    if (!Step(component, makeMissing, link)) return false;
    name = end + 1;
  }
}

bool CheckedFolder::Retarget(const char* path) {
  const char* slash = LastBackslash(path);
  const int folderLength = lstrlenA(folderPath_);
  if (!belowPlace_ || slash == nullptr || slash - path != folderLength || slash[1] == '\0' ||
      CompareStringA(LOCALE_INVARIANT, 0, path, folderLength, folderPath_, folderLength) !=
          CSTR_EQUAL)
    return false;
  return ToWide(slash + 1, lstrlenA(slash + 1), name_, PathCapacity);
}

bool CheckedFolder::Step(const char* component, bool makeMissing, char* link) {
  WCHAR wide[PathCapacity];
  if (!ToWide(component, lstrlenA(component), wide, PathCapacity)) return false;
  HANDLE child = nullptr;
  const ULONG share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  LONG status = OpenIn(wide, WalkAccess, share, FILE_OPEN, FILE_DIRECTORY_FILE, &child);
  // Made where it is missing, never where anything stands already (a link
  // to nowhere included): the open that follows is held against the listing.
  if (status == StatusNotFound && makeMissing)
    status = OpenIn(wide, WalkAccess, share, FILE_CREATE, FILE_DIRECTORY_FILE, &child);
  if (status == StatusCollision)
    status = OpenIn(wide, WalkAccess, share, FILE_OPEN, FILE_DIRECTORY_FILE, &child);
  const Entry entry = Look(wide, status == 0 ? child : nullptr);
  if (status == 0 && entry == Entry::Same) {
    folders_.push_back(child);
    names_.emplace_back(wide);
    pathEnds_.push_back(size_t(lstrlenA(folderPath_)) + 1 + size_t(lstrlenA(component)));
    return AppendText(folderPath_, "\\", sizeof folderPath_) &&
           AppendText(folderPath_, component, sizeof folderPath_);
  }
  if (status == 0) CloseHandle(child);
  if (entry == Entry::Link || status == 0) NameLink(wide, link);
  return false;
}

bool CheckedFolder::Recheck(char* link) const {
  // Each folder on the way looked at once more, now that the walk is done:
  // a name exchanged with a link over and over shows as one at some look.
  for (size_t i = 0; i < names_.size(); i++) {
    if (LookIn(folders_[i], names_[i].c_str(), folders_[i + 1]) == Entry::Same) continue;
    if (link != nullptr) {
      CopyText(link, folderPath_, PathCapacity);
      link[pathEnds_[i]] = '\0';
    }
    return false;
  }
  return true;
}

LONG CheckedFolder::OpenIn(const WCHAR* name, ACCESS_MASK access, ULONG share, ULONG disposition,
                           ULONG options, HANDLE* out) const {
  return OpenBelow(Handle(), name, access, share, disposition, options, out);
}

LONG CheckedFolder::OpenBelow(HANDLE folder, const WCHAR* name, ACCESS_MASK access, ULONG share,
                              ULONG disposition, ULONG options, HANDLE* out) {
  UNICODE_STRING text;
  text.Buffer = const_cast<PWSTR>(name);
  text.Length = text.MaximumLength = USHORT(lstrlenW(name) * sizeof(WCHAR));
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io;
  *out = nullptr;
  const NTSTATUS status = NtCreateFile(
      out, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
      disposition, options | OpenReparsePoint | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  if (status != 0) *out = nullptr;
  return LONG(status);
}

CheckedFolder::Entry CheckedFolder::Look(const WCHAR* name, HANDLE opened) const {
  return LookIn(Handle(), name, opened);
}

CheckedFolder::Entry CheckedFolder::LookIn(HANDLE folder, const WCHAR* name, HANDLE opened) {
  // A listing handle of its own: the system keeps the first name asked of
  // a handle for all later questions.
  HANDLE listing = nullptr;
  if (OpenBelow(folder, L"", FILE_LIST_DIRECTORY,
                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                FILE_DIRECTORY_FILE, &listing) != 0)
    return Entry::Link;  // what can't be looked at is never acted on
  ListedEntry entry;
  UNICODE_STRING mask;
  mask.Buffer = const_cast<PWSTR>(name);
  mask.Length = mask.MaximumLength = USHORT(lstrlenW(name) * sizeof(WCHAR));
  IO_STATUS_BLOCK io;
  const NTSTATUS status =
      NtQueryDirectoryFile(listing, nullptr, nullptr, nullptr, &io, &entry, sizeof entry,
                           IdBothDirectoryClass, TRUE, &mask, TRUE);
  CloseHandle(listing);
  if (status != 0) return Entry::Missing;
  if (!SameName(entry.name, entry.nameBytes, name) &&
      !SameName(entry.shortName, ULONG(entry.shortNameBytes), name))
    return Entry::Missing;
  if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Entry::Link;
  if (opened == nullptr) return Entry::Same;
  HandleFacts facts;
  if (!FactsOf(opened, &facts) || (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
      ((facts.attributes ^ entry.attributes) & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
      !NamedInFolder(opened, folder, entry))
    return Entry::Link;
  if (entry.fileId.QuadPart != 0)
    return entry.fileId.QuadPart == facts.index ? Entry::Same : Entry::Link;
  // File systems without file ids: the time the file was made tells.
  return entry.creation.QuadPart == facts.creation ? Entry::Same : Entry::Link;
}

HANDLE CheckedFolder::OpenChecked(const WCHAR* name, ACCESS_MASK access, ULONG share,
                                  ULONG disposition, ULONG kind, char* link, LONG* status) const {
  HANDLE handle = nullptr;
  // The check reads the handle's attributes, which Windows answers only to
  // a handle opened to read them (Wine answers any).
  *status = OpenIn(name, access | FILE_READ_ATTRIBUTES, share, disposition, kind, &handle);
  const Entry entry = Look(name, *status == 0 ? handle : nullptr);
  if (*status == 0 && entry == Entry::Same) return handle;
  if (*status == 0) CloseHandle(handle);
  if (entry == Entry::Link || *status == 0) {
    NameLink(name, link);
    *status = -1;
  }
  return nullptr;
}

void CheckedFolder::Discard(const WCHAR* name) const {
  LONG status;
  HANDLE handle = OpenChecked(name, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              FILE_OPEN, 0x40, nullptr, &status);
  if (handle == nullptr) return;
  FILE_DISPOSITION_INFO disposition = {TRUE};
  SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
  CloseHandle(handle);
}

bool CheckedFolder::PutUnder(HANDLE handle, const WCHAR* name, char* link) const {
  if (Look(name, nullptr) == Entry::Link) {
    NameLink(name, link);
    return false;
  }
  RenameRequest request = {};
  request.replaceIfExists = TRUE;
  request.rootDirectory = Handle();
  const int length = lstrlenW(name);
  if (length >= PathCapacity) return false;
  request.nameBytes = ULONG(length) * sizeof(WCHAR);
  CopyMemory(request.name, name, request.nameBytes);
  IO_STATUS_BLOCK io;
  if (NtSetInformationFile(handle, &io, &request,
                           ULONG(offsetof(RenameRequest, name) + request.nameBytes),
                           RenameClass) != 0)
    return false;
  // Where the share mode keeps no one from renaming the file meanwhile (Wine
  // renames by the path it remembers for the handle), a name exchanged after
  // the caller's look is what the rename moved: the name must now show the
  // handle's file.
  if (Look(name, handle) == Entry::Same) return true;
  NameLink(name, link);
  return false;
}

bool CheckedFolder::PathOf(const WCHAR* name, char* out) const {
  char narrow[PathCapacity];
  const int n = WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr);
  return n > 0 && CopyText(out, folderPath_, PathCapacity) && AppendText(out, "\\", PathCapacity) &&
         AppendText(out, narrow, PathCapacity);
}

void CheckedFolder::NameLink(const WCHAR* name, char* link) const {
  if (link != nullptr && !PathOf(name, link)) CopyText(link, folderPath_, PathCapacity);
}

void FreshName(const char* suffix, WCHAR* out, int capacity) {
  unsigned char random[8] = {};
  if (!SystemFunction036(random, sizeof random)) {
    // Without the system's random numbers: still unlike any earlier name.
    const ULONGLONG t = GetTickCount64() ^ (ULONGLONG(GetCurrentProcessId()) << 40);
    CopyMemory(random, &t, sizeof random);
  }
  char name[40] = "~";
  for (unsigned char b : random) {
    const char digits[] = "0123456789abcdef";
    const char pair[3] = {digits[b >> 4], digits[b & 15], 0};
    lstrcatA(name, pair);
  }
  AppendText(name, suffix, sizeof name);
  ToWide(name, lstrlenA(name), out, capacity);
}
