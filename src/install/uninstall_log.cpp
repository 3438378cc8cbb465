#include "install/uninstall_log.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/install_platform.h"
#include "wizard/text_buffers.h"

UninstallLog uninstallLog;
uint64_t uninstallLogWriteCount = 0;
uint64_t uninstallLogByteCount = 0;

namespace {

// Leading blanks, an optional sign, then digits up to the first other
// character; 0 when there are none. Saturates instead of overflowing.
int ParseCount(const char* text) {
  while (*text == ' ' || *text == '\t') text++;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; text++)
    if (value < INT_MAX) value = value * 10 + (*text - '0');
  if (value > INT_MAX) value = INT_MAX;
  return int(negative ? -value : value);
}

bool AppendRecord(const char* file, const char* value, const char* section) {
  char countText[20];
  ReadProfileValue(section, "count", "0", countText, sizeof countText, file);
  int count = ParseCount(countText);
  if (count < INT_MAX) count++;
  char number[20];
  std::snprintf(number, sizeof number, "%d", count);
  return WriteProfileValue(section, "count", number, file) &&
         WriteProfileValue(section, number, value, file);
}

}  // namespace

bool UninstallLog::Reset(const char* folder) {
  path[0] = next[0] = '\0';
  written = failed = false;
  if (!CopyText(path, folder, sizeof path) || !AppendText(path, "Uninstall.ini", sizeof path)) {
    path[0] = '\0';  // the wizard never lets such a folder through
    return false;
  }
  // A bare name: the profile functions look for it in the Windows folder,
  // the file functions in the current one, so the log is written directly.
  if (folder[0] != '\0' && CopyText(next, path, sizeof next) &&
      AppendText(next, ".new", sizeof next))
    DeleteFileAt(next);
  else
    next[0] = '\0';
  return DeleteFileAt(path);
}

bool UninstallLog::AddRecord(const char* value, const char* section) {
  if (path[0] == '\0' || failed) return false;
  // The profile functions write the whole file anew for every value, so a
  // kill in between, or a disk that fills up, would leave the log cut
  // short. Before this run's first record there is no log to copy, and
  // nothing to lose; after it the log itself is never written in place.
  if (next[0] != '\0' && written) {
    if (CopyFileOver(path, next) && AppendRecord(next, value, section) &&
        PutFileInPlace(next, path))
      return true;
    DeleteFileAt(next);
    failed = true;
    return false;
  }
  // A bare name is always written where the profile functions find it.
  const bool added = AppendRecord(path, value, section);
  written = written || added;
  failed = !added;
  return added;
}
