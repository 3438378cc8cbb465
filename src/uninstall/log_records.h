// Reading Uninstall.ini, the record Setup leaves of what it made. The log is
// input to be judged, not trusted: the numbered keys of each section are
// taken in the order of their numbers, whatever "count" claims.
#pragma once

#include <string>
#include <vector>

struct LogRecords {
  std::vector<std::string> dirs, files, filters;
  bool Empty() const { return dirs.empty() && files.empty() && filters.empty(); }
};

enum class LogState { Read, Missing, NoRecords, TooLarge };

// Reads the three sections of the log at path into records.
LogState ReadLogRecords(const char* path, LogRecords* records);

// The records of one section's text as the profile reader gives it
// ("key=value" texts, each ending in a zero): the values of the keys that
// are record numbers (1, 2, ... in plain decimal), in the order of their
// numbers; of a number given twice the first one counts. Other keys
// ("count" among them) are passed over.
std::vector<std::string> RecordsOfSection(const char* text, int length);
