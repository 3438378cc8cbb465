#include "install/uninstall_log.h"

#include <climits>
#include <cstdio>

#include "platform/install_platform.h"
#include "wizard/text_buffers.h"

UninstallLog uninstallLog;

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

}  // namespace

bool UninstallLog::Reset(const char* folder) {
  path[0] = '\0';
  if (!CopyText(path, folder, sizeof path) || !AppendText(path, "Uninstall.ini", sizeof path)) {
    path[0] = '\0';  // the wizard never lets such a folder through
    return false;
  }
  return DeleteFileAt(path);
}

void UninstallLog::AddRecord(const char* value, const char* section) {
  if (path[0] == '\0') return;
  char countText[20];
  ReadProfileValue(section, "count", "0", countText, sizeof countText, path);
  int count = ParseCount(countText);
  if (count < INT_MAX) count++;
  char number[20];
  std::snprintf(number, sizeof number, "%d", count);
  WriteProfileValue(section, "count", number, path);
  WriteProfileValue(section, number, value, path);
}

void WriteUninstallKey(const char* displayName, const char* command) {
  const RegistryValue values[] = {{"DisplayName", displayName}, {"UninstallString", command}};
  WriteLocalMachineKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", "Orbivue",
                       values, 2);
}
