// The places the uninstaller may act in, and the check that every record of
// the log must pass before anything is done with it: a plain full path
// ("c:\folder\name") that lies inside one of the product's places, compared
// as the file system compares names (case folded for the letters of the
// ANSI code page, two-byte characters kept whole).
#pragma once

#include <cstddef>

#include "paths/path_form.h"

struct LogRecords;

struct ProductPlaces {
  char destination[PathCapacity];   // the uninstaller's own folder, with "\"; empty: none
  char programGroup[PathCapacity];  // Programs folder + "\Orbivue\"; empty: none
  char desktopLink[PathCapacity];   // desktop folder + "\Orbivue.lnk"; empty: none
  // The destination as the log spells it, where that is another spelling
  // of the uninstaller's own folder (another drive letter or mapping, an
  // 8.3 name, another case): its records are taken as the same places
  // under the own folder. Empty: the log spells the own folder.
  char loggedDestination[PathCapacity];
  // The same four folded, for comparisons.
  char destinationKey[PathCapacity], programGroupKey[PathCapacity], desktopLinkKey[PathCapacity],
      loggedKey[PathCapacity];
};

// What a record names: a folder under "Dirs", a file under "Files", a
// filter file under "Filters".
enum class RecordKind { Folder, File, Filter };

// Where an accepted record is acted on: the record itself, or the same
// place under the own folder when the log spells the destination another
// way; and how many of its leading bytes are the product place it lies in
// (links are looked for below them).
struct CheckedRecord {
  char actOn[PathCapacity];
  size_t placeLength;
  bool aboveDestination;  // a folder that holds the destination
};

// A filter record must be one of the filter files Setup registers:
// "Filters\mpgdec.ax", "Filters\mlcom.ax" or "Filters\thsource.ax" under
// the destination.
PathVerdict CheckRecordPath(const char* path, RecordKind kind, const ProductPlaces& places,
                            CheckedRecord* checked = nullptr);

// Fills the places from the program's own path and the shell's folders; a
// place whose path is not a sound full path, or a destination that is a
// drive's root, is left empty and so accepts nothing.
void SetProductPlaces(ProductPlaces* places, const char* programPath, const char* programsFolder,
                      const char* desktopFolder);

// Finds how the log spells the destination: the folder, itself recorded
// under "Dirs", of the uninstaller's file recorded under "Files". When that
// is another spelling than the own folder, its records are taken as the own
// folder's.
void AnchorLoggedDestination(ProductPlaces* places, const LogRecords& records);

// path lies below folder (whole names compared, case folded).
bool LiesWithin(const char* path, const char* folder);

// Whole-path comparison as the file system compares, ignoring a trailing "\".
bool SamePath(const char* a, const char* b);
