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
  int error = 0;           // the errno behind it, 0 when none
};

// A failure that every later write below the destination meets alike: the
// file system is full, the quota used up, or it is read-only.
bool StopsWholeDestination(const OutputFailure& failure);

// Opens the folder `relative` ('/' separated, may be empty) below baseFd,
// creating what is missing when `create` is set. Returns the descriptor, or
// -1 with *failure set.
int OpenFolderBelow(int baseFd, const std::string& basePath, const std::string& relative,
                    bool create, OutputFailure* failure);

enum class Existing { Refuse, Overwrite, Keep };

enum class Presence { Absent, RegularFile, InTheWay };

// What stands at `name` in folderFd, without following a link.
Presence LookAt(int folderFd, const std::string& name, std::string* what);

// A file written as `name` in a folder in pieces: under a temporary name
// beside it until Finish gives it its name, so that a failed or interrupted
// entry leaves nothing under the name.
class NewFile {
 public:
  NewFile() = default;
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  ~NewFile() { Abandon(); }
  // Creates the temporary file. Returns false with *failure set.
  bool Begin(int folderFd, const std::string& folderPath, const std::string& name,
             OutputFailure* failure);
  // Writes the next piece; a failure is kept for Finish to report.
  void Append(const uint8_t* data, uint32_t size);
  // Sets the modification time and renames the whole file into place: over
  // an existing regular file with `replace`, otherwise only where nothing
  // stands. Returns false with *failure set, leaving nothing.
  bool Finish(std::time_t modified, bool replace, OutputFailure* failure);
  // Removes the temporary file (the entry failed).
  void Abandon();

 private:
  int folderFd_ = -1;
  int fd_ = -1;
  int writeErrno_ = 0;
  std::string name_, path_, temp_;
};

// Sets a folder's modification time (after its contents are written).
void SetFolderTime(int folderFd, std::time_t modified);

// Local time of an MS-DOS date and time; -1 for a zero or impossible one.
std::time_t DosTimeToUnix(uint32_t dosTime);
