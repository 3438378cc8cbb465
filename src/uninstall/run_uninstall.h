// The uninstaller: finds Uninstall.ini beside itself, asks, removes what the
// log names inside the product's places (filters, files, folders, the
// uninstall entry, itself), and says what was removed and what was left.
#pragma once

#include <string>
#include <vector>

#include "uninstall/log_records.h"
#include "uninstall/product_places.h"

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
  std::vector<RefusedRecord> refused;
  bool noRecordOurs = false;  // every record was refused: nothing was done
  bool LeftOver() const {
    return !filesLeft.empty() || !filtersLeft.empty() || !linksFound.empty();
  }
  int ExitCode() const;
};

// The whole program: silent means no window and no message at all.
int RunUninstall(bool silent);

// True when the command line asks for a silent run ("/S", any case).
bool IsSilentCommandLine(const char* commandLine);

// Russian when the viewer's Orbivue.ini in folder says so, else English.
bool ProductLanguageIsRussian(const char* folder);

// The removal itself, in its order, over records already read. programPath
// is the running program's file; progress moves when showProgress is set.
void RemoveProduct(const LogRecords& records, const ProductPlaces& places, const char* programPath,
                   bool showProgress, UninstallOutcome* outcome);

// The final message's parts (texts and paths) for an outcome.
std::vector<std::string> OutcomeMessage(const UninstallOutcome& outcome, bool russian,
                                        std::vector<bool>* isPath);
