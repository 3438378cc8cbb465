#include "install/uninstall_entry.h"

#include <cstring>

#include "archive/block_format.h"
#include "install/installation.h"
#include "install/step_notes.h"
#include "platform/install_platform.h"
#include "release/release_identity.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"

void UninstallCommand(const char* folder, char* command, size_t capacity) {
  const bool quoted = std::strchr(folder, ' ') != nullptr || std::strchr(folder, '\t') != nullptr;
  command[0] = '\0';
  if (!AppendText(command, quoted ? "\"" : "", capacity) ||
      !AppendText(command, folder, capacity) || !AppendText(command, UninstallerName, capacity) ||
      !AppendText(command, quoted ? "\"" : "", capacity))
    command[0] = '\0';
}

uint32_t InstalledKilobytes(const EntryListNode* head) {
  uint64_t bytes = 0;
  for (const EntryListNode* node = head; node != nullptr; node = node->next)
    if ((node->attributes & AttributeDirectory) == 0 && IsEntryWanted(node->name))
      bytes += node->unpackedSize;
  const uint64_t kilobytes = (bytes + 1023) / 1024;
  return kilobytes > UINT32_MAX ? UINT32_MAX : uint32_t(kilobytes);
}

void WriteUninstallEntry(const char* folder, uint32_t kilobytes) {
  char command[PathBufferSize + 16];
  char quietCommand[PathBufferSize + 24];
  char icon[PathBufferSize + 16];
  UninstallCommand(folder, command, sizeof command);
  // A silent form only of a command that fitted; never "/S" alone.
  quietCommand[0] = '\0';
  if (command[0] != '\0' && (!AppendText(quietCommand, command, sizeof quietCommand) ||
                             !AppendText(quietCommand, " /S", sizeof quietCommand)))
    quietCommand[0] = '\0';
  icon[0] = '\0';
  if (!AppendText(icon, folder, sizeof icon) || !AppendText(icon, ViewerProgramName, sizeof icon) ||
      !AppendText(icon, ",0", sizeof icon))
    icon[0] = '\0';
  const RegistryValue values[] = {{"DisplayName", RELEASE_PRODUCT_NAME},
                                  {UninstallCommandValue, command},
                                  {"QuietUninstallString", quietCommand},
                                  {"DisplayVersion", RELEASE_VERSION_TEXT},
                                  {"Publisher", RELEASE_PUBLISHER},
                                  {"DisplayIcon", icon},
                                  {"InstallLocation", folder},
                                  {"EstimatedSize", nullptr, kilobytes},
                                  {"NoModify", nullptr, 1},
                                  {"NoRepair", nullptr, 1}};
  WriteLocalMachineKey(UninstallKeyParent, UninstallKeyName, values,
                       int(sizeof values / sizeof values[0]));
  NoteStep("uninstall entry", command);
}
