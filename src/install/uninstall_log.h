// The uninstall record: Uninstall.ini with numbered records under "Dirs",
// "Files" and "Filters", and the system's uninstall entry in the registry.
#pragma once

constexpr int UninstallLogPathSize = 288;

class UninstallLog {
 public:
  // Starts a fresh log in folder (which ends in a backslash, or is empty):
  // deletes an existing "Uninstall.ini". Returns whether the deletion
  // succeeded, which nobody needs to look at.
  bool Reset(const char* folder);
  // Appends one record: value under the next number of section.
  void AddRecord(const char* value, const char* section);
  const char* Path() const { return path; }

 private:
  char path[UninstallLogPathSize] = {};
};

extern UninstallLog uninstallLog;

void WriteUninstallKey(const char* displayName, const char* command);
