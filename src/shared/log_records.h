// Reading Uninstall.ini, the record Setup leaves of what it made. The log is
// input to be judged, not trusted: the numbered keys of each section are
// taken in the order of their numbers, whatever "count" claims.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct LogRecords {
  std::vector<std::string> dirs, files, filters;
  bool Empty() const { return dirs.empty() && files.empty() && filters.empty(); }
};

enum class LogState { Read, Missing, NoRecords, TooLarge };

// The most room one section may take: a million records (the most Setup
// numbers) of a full path each. A larger log is not Setup's, and is not
// used at all.
constexpr size_t MostLogSectionBytes = size_t(1) << 28;

// Reads the three sections of the log at path into records; TooLarge, with
// nothing read, when a section needs more than mostSectionBytes.
LogState ReadLogRecords(const char* path, LogRecords* records,
                        size_t mostSectionBytes = MostLogSectionBytes);

// The records of one section's text as the profile reader gives it
// ("key=value" texts, each ending in a zero): the values of the keys that
// are record numbers (1, 2, ... in plain decimal), in the order of their
// numbers; of a number given twice the first one counts. Other keys
// ("count" among them) are passed over.
std::vector<std::string> RecordsOfSection(const char* text, int length);
