// The installation run, in its fixed order: archive, listing, progress,
// folders, entries, shortcuts, uninstall entry, filters, configuration.
#include <initializer_list>

#include "archive/archive_reader.h"
#include "install/installation.h"
#include "install/product_config.h"
#include "install/shortcuts.h"
#include "install/uninstall_log.h"
#include "platform/install_platform.h"
#include "platform/platform.h"
#include "wizard/install_choices.h"
#include "wizard/resource_ids.h"
#include "wizard/text_buffers.h"

ArchiveImage programArchive;

void LoadEmbeddedArchive(ArchiveImage* image, int resourceId) {
  image->data = nullptr;
  image->size = 0;
  image->offset = 0;
  if (!FindArchiveResource(resourceId, &image->data, &image->size)) {
    image->data = nullptr;
    image->size = 0;
  }
}

namespace {

void MoveProgress(int position) {
  SetProgressPosition(pageWindow, ID_PROGRESS, position);
  RepaintNow(pageWindow);
  PumpMessages();
}

// The four fixed folders, made before the entries because a folder is
// made one level at a time and the archive lists the deepest first. The
// destination holds the log, so it is made first; every later folder is
// recorded before it is made, so that a run ended at any moment (a crash,
// power) leaves no folder that the log does not list. False when a record
// could not be written.
bool MakeFixedFolders() {
  char* dest = installChoices.destinationDir;
  char path[PathBufferSize];
  CreateFolder(dest);
  if (!uninstallLog.AddRecord(dest, "Dirs")) return false;
  CopyText(path, dest, sizeof path);
  for (const char* level : {"Modules", "\\boot", "\\24"}) {
    AppendText(path, level, sizeof path);
    if (!uninstallLog.AddRecord(path, "Dirs")) return false;
    CreateFolder(path);
  }
  return true;
}

void Finish() {
  installChoices.step = installChoices.step + 1;
  installChoices.stepDone = true;
}

}  // namespace

void RunInstallation() {
  InstallChoices& c = installChoices;
  LoadEmbeddedArchive(&programArchive, ARCHIVE_RESOURCE);
  EntryListNode* head = nullptr;
  const int count = ArchiveListEntries(&programArchive, &head);
  SetProgressRange(pageWindow, ID_PROGRESS, count + 2);
  PumpMessages();

  // Every later path rests on the trailing backslash. The wizard refuses
  // destinations too long for it; should one get here, nothing is made.
  if (c.destinationDir[0] != '\0' && !EndsWithBackslash(c.destinationDir) &&
      !AppendText(c.destinationDir, "\\", sizeof c.destinationDir)) {
    ArchiveFreeList(head);
    ShowWriteError(c.destinationDir);
    return;
  }
  uninstallLog.Reset(c.destinationDir);
  if (!MakeFixedFolders()) {
    ArchiveFreeList(head);
    ShowWriteError(uninstallLog.Path());
    return;
  }

  int position = 1;
  for (EntryListNode* node = head; node != nullptr && !c.aborted; node = node->next) {
    if (InstallEntry((node->attributes & 0x10) != 0, node->name) != 0) {
      ArchiveFreeList(head);
      return;
    }
    MoveProgress(position++);
  }
  ArchiveFreeList(head);
  if (c.aborted) {
    Finish();
    return;
  }

  InitializeCom();
  // A record that did not reach the log stops the run: nothing would remove
  // what it names.
  if (!MakeShortcut("Orbivue.exe", "Orbivue.lnk", 0, "") ||
      !MakeShortcut("Orbivue.exe", "Orbivue.lnk", 1, "") ||
      !MakeShortcut("Uninstall.exe", "Uninstall.lnk", 0, nullptr) ||
      !MakeShortcut("graphedt.exe", "GraphEdit.lnk", 0, nullptr)) {
    ShowWriteError(uninstallLog.Path());
    return;
  }

  char command[PathBufferSize + 16];
  UninstallCommand(c.destinationDir, command, sizeof command);
  WriteUninstallKey("Orbivue", command);
  MoveProgress(position);

  if (c.registerElecardFilters) {
    RegisterFilter("mpgdec.ax");
    RegisterFilter("mlcom.ax");
  }
  if (c.registerTwinHanSource) RegisterFilter("thsource.ax");
  if (!uninstallLog.Whole()) {
    ShowWriteError(uninstallLog.Path());
    return;
  }
  MoveProgress(position + 1);

  if (!WriteProductConfig()) return;
  Finish();
}
