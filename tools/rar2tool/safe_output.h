// Writing below the extraction folder without ever following a symbolic
// link: every folder is opened relative to its parent with O_NOFOLLOW, and
// files are created exclusively or replaced by a rename of a new file.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

struct OutputFailure {
  bool entryOnly = false;  // refused for this entry alone (a link, a file in the way)
  std::string where;       // the path that failed
  std::string what;        // why
};

// Opens the folder `relative` ('/' separated, may be empty) below baseFd,
// creating what is missing when `create` is set. Returns the descriptor, or
// -1 with *failure set.
int OpenFolderBelow(int baseFd, const std::string& basePath, const std::string& relative,
                    bool create, OutputFailure* failure);

enum class Existing { Refuse, Overwrite, Keep };

enum class Presence { Absent, RegularFile, InTheWay };

// What stands at `name` in folderFd, without following a link.
Presence LookAt(int folderFd, const std::string& name, std::string* what);

// Writes data as `name` in folderFd with the given modification time. With
// `replace`, an existing regular file is replaced atomically; otherwise the
// file must not exist. Returns false with *failure set, leaving nothing.
bool WriteFileIn(int folderFd, const std::string& folderPath, const std::string& name,
                 const uint8_t* data, uint32_t size, std::time_t modified, bool replace,
                 OutputFailure* failure);

// Sets a folder's modification time (after its contents are written).
void SetFolderTime(int folderFd, std::time_t modified);

// Local time of an MS-DOS date and time; -1 for a zero or impossible one.
std::time_t DosTimeToUnix(uint32_t dosTime);
