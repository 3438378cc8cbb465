#include "install/uninstall_entry.h"

#include <cstring>

#include "platform/install_platform.h"
#include "wizard/text_buffers.h"

void UninstallCommand(const char* folder, char* command, size_t capacity) {
  const bool quoted = std::strchr(folder, ' ') != nullptr || std::strchr(folder, '\t') != nullptr;
  command[0] = '\0';
  if (!AppendText(command, quoted ? "\"" : "", capacity) ||
      !AppendText(command, folder, capacity) || !AppendText(command, "Uninstall.exe", capacity) ||
      !AppendText(command, quoted ? "\"" : "", capacity))
    command[0] = '\0';
}

void WriteUninstallKey(const char* displayName, const char* command) {
  const RegistryValue values[] = {{"DisplayName", displayName}, {"UninstallString", command}};
  WriteLocalMachineKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", "Orbivue",
                       values, 2);
}
