// The folder an act below a product place happens in, reached from the
// place by handles: the place is opened by its name (it may be a link the
// user chose), and each name below it is opened relative to the handle of
// the folder above it and held against that folder's own listing of the
// name. A link, or a name exchanged with one at any moment, is refused
// instead of followed: a handle the listing does not show under its name
// is not used. The folders on the way stay open, without leave to delete
// or rename them, until the act is done.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "paths/path_form.h"

class CheckedFolder {
 public:
  CheckedFolder() = default;
  ~CheckedFolder();
  CheckedFolder(const CheckedFolder&) = delete;
  CheckedFolder& operator=(const CheckedFolder&) = delete;

  // Walks from place down to the folder that holds path's last name (the
  // place's parent when path is the place itself); makeMissing makes the
  // folders missing on the way. False when a folder on the way is missing,
  // can't be made or opened, or when a link stands there: link (PathCapacity
  // bytes, may be null) then holds its path. path lies within place.
  bool Open(const char* place, const char* path, bool makeMissing, char* link);

  // Points the folder at another name in it, for the next act there: true
  // when path lies directly in this folder, as the caller spelled the
  // folder when it was opened (and below its place). The folders stay held,
  // so that what was checked is still what the handles reach.
  bool Retarget(const char* path);

  HANDLE Handle() const { return folders_.empty() ? INVALID_HANDLE_VALUE : folders_.back(); }
  // path's last name, as the system's calls take it.
  const WCHAR* Name() const { return name_; }

  // Opens name relative to the folder without following a link there
  // where the system can; returns the NT status.
  LONG OpenIn(const WCHAR* name, ACCESS_MASK access, ULONG share, ULONG disposition, ULONG options,
              HANDLE* out) const;

  // What the folder's listing shows under name: nothing, a link, or (when
  // opened is given) the very file or folder opened; anything else counts
  // as a link swapped in.
  enum class Entry { Missing, Same, Link };
  Entry Look(const WCHAR* name, HANDLE opened) const;

  // Opens name as OpenIn does, kind being FILE_DIRECTORY_FILE or
  // FILE_NON_DIRECTORY_FILE, and keeps the handle only when the listing
  // shows it under name; a link found is named in link and status is then
  // -1. Null when nothing was kept.
  HANDLE OpenChecked(const WCHAR* name, ACCESS_MASK access, ULONG share, ULONG disposition,
                     ULONG kind, char* link, LONG* status) const;
  // Deletes name, a file this process made here, through a checked handle.
  void Discard(const WCHAR* name) const;

  // Puts the file open at handle under name in this folder in one step,
  // replacing what stands there unless it is a folder or a link. False, with
  // the name in link, also when the name shows another file afterwards.
  bool PutUnder(HANDLE handle, const WCHAR* name, char* link) const;

  // The path of name in this folder, for messages and the calls that take
  // a path; false when it does not fit (PathCapacity bytes).
  bool PathOf(const WCHAR* name, char* out) const;
  // Notes that name in this folder is a link.
  void NameLink(const WCHAR* name, char* link) const;

 private:
  bool Step(const char* component, bool makeMissing, char* link);
  bool Recheck(char* link) const;
  static LONG OpenBelow(HANDLE folder, const WCHAR* name, ACCESS_MASK access, ULONG share,
                        ULONG disposition, ULONG options, HANDLE* out);
  static Entry LookIn(HANDLE folder, const WCHAR* name, HANDLE opened);

  std::vector<HANDLE> folders_;
  // The folders below the first: their names, for the second look, and
  // where each one's path ends in folderPath_.
  std::vector<std::wstring> names_;
  std::vector<size_t> pathEnds_;
  char folderPath_[PathCapacity] = "";  // the folder's path as the caller spells it
  bool belowPlace_ = false;             // the folder is the place or lies in it
  WCHAR name_[PathCapacity] = {};
};

// A name of this process's own that nobody can guess in advance, for a file
// that is written by name and then put in place: "~" prefix, random digits,
// suffix.
void FreshName(const char* suffix, WCHAR* out, int capacity);

// Deletes path, a file or an empty folder, below place through a handle
// checked against its folder's listing; true when the name has gone.
bool DeleteChecked(const char* place, const char* path, bool isFolder, char* link);
