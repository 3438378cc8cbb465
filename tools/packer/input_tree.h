// Collecting what the command line names: files and folders, recursively,
// each stored under its path relative to the parent of the argument that
// named it, with backslashes and code page 1251 names.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "archive_writer.h"

namespace packer {

// Lists the inputs in a fixed order: each folder, then its files and
// subfolders sorted by name. Files are not read: each item names its file,
// with the size and time it must still have when it is packed. excludePath (the archive being
// written) is left out when met. Returns false when an input is missing, unreadable, of a kind that
// cannot be archived, or changes while it is read, or when names break Windows' rules: the walk
// goes on after each, and *error then holds one line per problem of the whole tree, separated by
// '\n'. *readWhole, when given, tells whether every input could be opened (names were the only
// problems), so that items holds the whole tree.
bool CollectInputs(const std::vector<std::string>& paths, const std::string& excludePath,
                   std::vector<PackItem>* items, std::string* error, bool* readWhole = nullptr);

// MS-DOS date and time of a moment in local time, clamped to 1980..2107.
uint32_t DosTime(std::time_t when);

// One line about a problem with path: control characters in it (a newline
// is a valid byte of a name) are written as \xNN.
std::string InputProblem(const std::string& path, const std::string& why);

}  // namespace packer
