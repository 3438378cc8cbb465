// The uninstall record: Uninstall.ini with numbered records under "Dirs",
// "Files" and "Filters", and the system's uninstall entry in the registry.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int UninstallLogPathSize = 288;

class UninstallLog {
 public:
  // Starts a fresh log in folder (which ends in a backslash, or is empty):
  // deletes an existing "Uninstall.ini" (and a next version a killed run
  // left beside it). Returns whether the log's deletion succeeded, which
  // nobody needs to look at.
  bool Reset(const char* folder);
  // Appends one record: value under the next number of section. The next
  // version of the log is written beside it and then put in its place, so
  // that a process ended at any moment leaves a whole log behind. False
  // when the record could not be written (a full disk): the log then stays
  // as it was, and what the record names must not be made. After one such
  // record every later one is refused too, so that the log never skips one.
  bool AddRecord(const char* value, const char* section);
  bool Whole() const { return !failed; }
  const char* Path() const { return path; }

 private:
  char path[UninstallLogPathSize] = {};
  char next[UninstallLogPathSize + 4] = {};  // path + ".new"
  bool written = false;                      // this run has a log on disk
  bool failed = false;                       // a record of this run did not go in
};

extern UninstallLog uninstallLog;

// How many times this process wrote the log (each whole version put in its
// place counts once), and the bytes of those versions: what an installation
// costs in log writes, whatever the number of its files.
extern uint64_t uninstallLogWriteCount;
extern uint64_t uninstallLogByteCount;
