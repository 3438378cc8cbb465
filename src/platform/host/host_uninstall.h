// What the host stand-in of the uninstaller's operations keeps, for the
// tests to set up and look at: the program's own path, files held open,
// regsvr32 runs that fail, the answer to the question, and a journal of
// every change in the order it was made.
#pragma once

#include <string>
#include <vector>

struct HostUninstall {
  std::string programPath = "c:\\Orbivue\\Uninstall.exe";
  std::vector<std::string> heldFiles;       // Windows paths that can't be deleted
  std::vector<std::string> failingFilters;  // regsvr32 /u on these ends with code 5
  bool filtersHang = false;                 // regsvr32 does not end in time
  bool programMovable = true;
  bool answerYes = true;
  // "unregister PATH", "delete PATH", "rmdir PATH", "replace FROM -> TO",
  // "delete key KEY", "move PATH -> NEW", "at restart PATH", in order.
  std::vector<std::string> journal;
  std::vector<std::string> commands;  // regsvr32 command lines
  std::vector<std::string> questions, messages;
  std::vector<bool> messageWarnings;
  bool progressOpen = false;
  int progressOpened = 0, progressPosition = 0, progressMaximum = 0;
};

extern HostUninstall hostUninstall;
