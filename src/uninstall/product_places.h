// The places the uninstaller may act in, and the check that every record of
// the log must pass before anything is done with it: a plain full path
// ("c:\folder\name") that lies inside one of the product's places.
#pragma once

constexpr int PathCapacity = 260;  // the platform's longest path with its zero

struct ProductPlaces {
  char destination[PathCapacity];   // the uninstaller's own folder, with "\"; empty: none
  char programGroup[PathCapacity];  // Programs folder + "\Orbivue\"; empty: none
  char desktopLink[PathCapacity];   // desktop folder + "\Orbivue.lnk"; empty: none
};

// What a record names: a folder under "Dirs", a file under "Files", a
// filter file under "Filters".
enum class RecordKind { Folder, File, Filter };

enum class PathVerdict {
  Accepted,
  Empty,
  TooLong,
  NotFullPath,    // relative, drive-relative, UNC, "\\?\" or "\\.\" forms, "/"
  BadCharacter,   // wildcards, quotes, control characters, a second ":"
  DotName,        // ".", "..", or a name ending in "." or a blank
  DeviceName,     // CON, NUL, COM1 and their like
  OutsideProduct  // a sound path, but not in a place of the product
};

PathVerdict CheckRecordPath(const char* path, RecordKind kind, const ProductPlaces& places);

// Fills the places from the program's own path and the shell's folders; a
// place whose path is not a sound full path, or a destination that is a
// drive's root, is left empty and so accepts nothing.
void SetProductPlaces(ProductPlaces* places, const char* programPath, const char* programsFolder,
                      const char* desktopFolder);

// path lies below folder (whole names compared, case of A to Z ignored).
bool LiesWithin(const char* path, const char* folder);

// Whole-path comparison that ignores the case of A to Z and a trailing "\".
bool SamePath(const char* a, const char* b);
