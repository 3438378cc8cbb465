#include "install/product_config.h"

#include <cstdio>
#include <cstring>

#include "answers/device_table.h"
#include "answers/install_choices.h"
#include "install/install_failure.h"
#include "install/step_notes.h"
#include "platform/install_platform.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"

namespace {

// Whether a value read back is the one written, as the profile functions
// hand values back: without the blanks around it, and on Windows without
// one pair of enclosing quotes.
bool ReadsBackAs(const char* stored, const char* value) {
  while (*value == ' ' || *value == '\t') value++;
  size_t n = std::strlen(value);
  while (n > 0 && (value[n - 1] == ' ' || value[n - 1] == '\t')) n--;
  if (std::strlen(stored) == n && std::strncmp(stored, value, n) == 0) return true;
  return n >= 2 && (value[0] == '"' || value[0] == '\'') && value[n - 1] == value[0] &&
         std::strlen(stored) == n - 2 && std::strncmp(stored, value + 1, n - 2) == 0;
}

}  // namespace

bool WriteProductConfig() {
  const InstallChoices& c = installChoices;
  char path[PathBufferSize + 16];
  path[0] = '\0';
  if (!AppendText(path, c.destinationDir, sizeof path) ||
      !AppendText(path, ProductConfigName, sizeof path))
    return FailWrite(ProductConfigName) == 0;
  const int row =
      c.deviceIndex >= 0 && c.deviceIndex < DeviceCount ? c.deviceIndex : DeviceCount - 1;
  const DeviceRow& device = DeviceTable[row];
  char buffer[20];
  if (c.timeshiftDisabled)
    std::snprintf(buffer, sizeof buffer, "10");
  else
    std::snprintf(buffer, sizeof buffer, "%d", int(c.timeshiftBufferMB));

  const ProfileValue keys[] = {
      {LanguageSection, LanguageKey, c.language == Russian ? RussianLanguage : EnglishLanguage},
      {"Modules", "CurDeviceFile", device.deviceFile},
      {"Modules", "CurDeviceID", device.deviceId},
      {"Modules", "StartDevice", row + 1 < DeviceCount ? "1" : "0"},
      {"SoftwareRender", "BufferSize", buffer},
      {"SoftwareRender", "InMemory", c.timeshiftInMemory || c.timeshiftDisabled ? "1" : "0"},
      {"SoftwareRender", "FileName", c.timeshiftFile},
      {"DisabledModules", "Beacon.Module", "1"},
  };
  char link[PathBufferSize] = "";
  bool whole =
      WriteProfileValues(c.destinationDir, path, keys, int(sizeof keys / sizeof keys[0]), link);
  // Each key is read back from what was put in place, and only after a
  // write that succeeded (after a failure the name may lead to a link). A
  // line break can't be a value, so it marks a missing key.
  char stored[PathBufferSize + 16];
  for (size_t i = 0; whole && i < sizeof keys / sizeof keys[0]; i++) {
    ReadProfileValue(keys[i].section, keys[i].key, "\n", stored, sizeof stored, path);
    whole = ReadsBackAs(stored, keys[i].value);
  }
  if (!whole)
    FailWrite(link[0] != '\0' ? link : path);
  else
    NoteStep("settings", path);
  return whole;
}
