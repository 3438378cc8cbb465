// The uninstall record: Uninstall.ini with numbered records under "Dirs",
// "Files" and "Filters", and the system's uninstall entry in the registry.
#pragma once

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
  // that a process ended at any moment leaves a whole log behind.
  void AddRecord(const char* value, const char* section);
  const char* Path() const { return path; }

 private:
  char path[UninstallLogPathSize] = {};
  char next[UninstallLogPathSize + 4] = {};  // path + ".new"
};

extern UninstallLog uninstallLog;

void WriteUninstallKey(const char* displayName, const char* command);
