#include "install/product_config.h"

#include <cstdio>

#include "platform/install_platform.h"
#include "wizard/device_table.h"
#include "wizard/install_choices.h"
#include "wizard/text_buffers.h"

void WriteProductConfig() {
  const InstallChoices& c = installChoices;
  char path[PathBufferSize + 16];
  path[0] = '\0';
  if (!AppendText(path, c.destinationDir, sizeof path) ||
      !AppendText(path, "Orbivue.ini", sizeof path))
    return;
  const int row =
      c.deviceIndex >= 0 && c.deviceIndex < DeviceCount ? c.deviceIndex : DeviceCount - 1;
  const DeviceRow& device = DeviceTable[row];
  char buffer[20];
  if (c.timeshiftDisabled)
    std::snprintf(buffer, sizeof buffer, "10");
  else
    std::snprintf(buffer, sizeof buffer, "%d", int(c.timeshiftBufferMB));

  WriteProfileValue("Options", "Language", c.language == Russian ? "Russian" : "English", path);
  WriteProfileValue("Modules", "CurDeviceFile", device.deviceFile, path);
  WriteProfileValue("Modules", "CurDeviceID", device.deviceId, path);
  WriteProfileValue("Modules", "StartDevice", row + 1 < DeviceCount ? "1" : "0", path);
  WriteProfileValue("SoftwareRender", "BufferSize", buffer, path);
  WriteProfileValue("SoftwareRender", "InMemory",
                    c.timeshiftInMemory || c.timeshiftDisabled ? "1" : "0", path);
  WriteProfileValue("SoftwareRender", "FileName", c.timeshiftFile, path);
  WriteProfileValue("DisabledModules", "Beacon.Module", "1", path);
}
