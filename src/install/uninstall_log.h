// The uninstall record: Uninstall.ini with numbered records under "Dirs",
// "Files" and "Filters", and the system's uninstall entry in the registry.
#pragma once

#include <cstddef>

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

// The uninstall entry's command for the uninstaller in folder (which ends
// in a backslash, or is empty): between double quotes when it holds a blank,
// so that no shorter path up to the blank can be taken for the program
// ("C:\Program.exe" for "C:\Program Files\..."); as it stands otherwise,
// as readers of the entry have always found it. Empty when it does not fit.
void UninstallCommand(const char* folder, char* command, size_t capacity);
void WriteUninstallKey(const char* displayName, const char* command);
