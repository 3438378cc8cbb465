// What an uninstallation did: what it removed, what it left and why, and
// the program's exit code that sums it up.
#pragma once

#include <string>
#include <vector>

#include "paths/path_form.h"

// Exit codes of the program.
enum UninstallExit {
  ExitRemoved = 0,     // everything of the product is gone
  ExitNotRemoved = 1,  // the user declined, or there is no usable log
  ExitLeftOver = 2,    // something of the product stays (the log lists it)
  ExitRefused = 3,     // the log held records that were refused; the rest is gone
};

struct RefusedRecord {
  std::string section, path;
  PathVerdict verdict;
};

struct UninstallOutcome {
  int filesRemoved = 0, foldersRemoved = 0, filtersUnregistered = 0;
  bool entryRemoved = false, entryForeign = false;
  bool programMoved = false;             // the running program went to the temporary folder
  std::vector<std::string> filesLeft;    // product files that could not be deleted
  std::vector<std::string> filtersLeft;  // filters that could not be unregistered
  std::vector<std::string> foldersKept;  // folders that stay, holding files not Setup's
  std::vector<std::string> linksFound;   // links below a product place, left as they are
  // Shortcuts that start another installation's programs, and filters whose
  // registration names another installation's file: left to that one.
  std::vector<std::string> othersKept;
  std::vector<RefusedRecord> refused;
  // Refused records of the own folder's whose paths are still there (too
  // long under the spelling the program was started by): the log keeps them.
  std::vector<RefusedRecord> refusedLeft;
  bool noRecordOurs = false;  // every record was refused: nothing was done
  bool LeftOver() const {
    return !filesLeft.empty() || !filtersLeft.empty() || !linksFound.empty() ||
           !refusedLeft.empty();
  }
  int ExitCode() const;
};
