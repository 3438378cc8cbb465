#include "install/product_config.h"

#include <cstdio>

#include "answers/device_table.h"
#include "answers/install_choices.h"
#include "install/install_failure.h"
#include "install/step_notes.h"
#include "platform/install_platform.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"

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
  // True only when the file put in place reads back as written.
  const bool whole =
      WriteProfileValues(c.destinationDir, path, keys, int(sizeof keys / sizeof keys[0]), link);
  if (!whole)
    FailWrite(link[0] != '\0' ? link : path);
  else
    NoteStep("settings", path);
  return whole;
}
