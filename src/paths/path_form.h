// The form of the paths Setup and the uninstaller act on: "X:\" and then
// names separated by single backslashes, read character by character in the
// system's ANSI code page (so that the second byte of a two-byte character
// is never taken for a backslash), and compared as the file system
// compares them, after FoldCase.
#pragma once

#include <cstddef>

constexpr int PathCapacity = 260;  // the platform's longest path with its zero

enum class PathVerdict {
  Accepted,
  Empty,
  TooLong,
  NotFullPath,     // relative, drive-relative, UNC, "\\?\" or "\\.\" forms, "/"
  BadCharacter,    // wildcards, quotes, control characters, a second ":"
  DotName,         // ".", "..", or a name ending in "." or a blank
  DeviceName,      // CON, NUL, COM1, CONIN$ and their like, with any extension
  DriveRoot,       // "X:\" itself, which is nobody's product folder
  OutsideProduct,  // a sound path, but not in a place of the product
  NotAFilter,      // under "Filters", a file that Setup never registers
  ThroughLink      // a link stands on the way below a product place
};

// The character after the one at p (two bytes for a lead byte and its
// second byte; the terminating zero is never stepped over).
const char* NextCharacter(const char* p);

// The end of the name that starts at start (its backslash or the zero),
// with the name's last character in *last (start itself for an empty name).
const char* EndOfName(const char* start, const char** last);

// The last backslash of text that is a character of its own; null if none.
const char* LastBackslash(const char* text);

// The name is one Windows takes as a device whatever its folder: CON, PRN,
// AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, in any case, with blanks
// before an extension and with any extension.
bool IsDeviceName(const char* name, size_t length);

// The form alone: a full path "X:\name\name..." whose names are sound; a
// folder may end in one backslash, a file ends in a name. "X:\" itself is
// a folder's form (the callers refuse it as a place where they must).
PathVerdict CheckPathForm(const char* path, bool folder);

// Comparisons of paths that have been through FoldCase: path lies below
// place (whole names compared), or is place itself when mayBeThePlace.
// A trailing backslash on either does not count.
bool FoldedWithin(const char* path, const char* place, bool mayBeThePlace);
bool FoldedSame(const char* a, const char* b);

// The length of path without its trailing backslashes.
size_t LengthWithoutTrailingBackslash(const char* path);
