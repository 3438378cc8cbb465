// The rules of Windows file names that an archive for the installer must
// keep, since it is unpacked on Windows: no reserved device names, no names
// ending in a dot or a space, no characters Windows forbids, and no two
// names that Windows' case-insensitive comparison takes as one.
#pragma once

#include <string>
#include <vector>

#include "archive_writer.h"

namespace packer {

// Checks one name component in code page 1251. Returns false with *why.
bool WindowsNameProblem(const std::string& component, std::string* why);

// The form under which Windows compares a path in code page 1251: each
// component in upper case (Cyrillic included), trailing dots and spaces
// dropped, backslash separators.
std::string WindowsNameKey(const std::string& name);

// Adds a line for every item whose name Windows takes as that of an
// earlier item.
void NoteWindowsCollisions(const std::vector<PackItem>& items, std::vector<std::string>* problems);

}  // namespace packer
