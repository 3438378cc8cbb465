// What the file system says of paths, for Setup and the uninstaller alike:
// the characters of the system's ANSI code page (double-byte ones among
// them), the full and long forms of a path, and what a path names.
#pragma once

#include <cstdint>

// True when c opens a two-byte character of the ANSI code page (never in
// code page 1251; often in 932, whose second bytes may be a backslash).
bool IsLeadByte(uint8_t c);

// Upper-cases text in place as the file system compares names: the letters
// of the ANSI code page, Cyrillic among them; two-byte characters are kept
// whole. The length never changes.
void FoldCase(char* text);

// The full form of a path as the system resolves it against the current
// folder ("." and ".." taken out, "/" made "\"); false when it does not fit.
bool GetFullPath(const char* path, char* out, int capacity);

// The long form of an existing path (each 8.3 name replaced by the name on
// disk); false when the path does not exist or the result does not fit.
bool GetLongPath(const char* path, char* out, int capacity);

// What a path names, without following it: a link is any reparse point
// (a symbolic link, a junction, a mount point), to a file or a folder.
enum class PathKind { Missing, File, Folder, Link };
PathKind QueryPath(const char* path);
