// The installation run, in its fixed order: archive, listing, progress,
// folders, entries, shortcuts, uninstall entry, filters, configuration.
#include <cstdint>
#include <initializer_list>

#include "answers/install_choices.h"
#include "archive/archive_reader.h"
#include "archive/block_format.h"
#include "install/archive_check.h"
#include "install/earlier_log.h"
#include "install/embedded_archive.h"
#include "install/filter_registration.h"
#include "install/install_entry.h"
#include "install/install_failure.h"
#include "install/installation.h"
#include "install/product_config.h"
#include "install/shortcuts.h"
#include "install/step_notes.h"
#include "install/uninstall_entry.h"
#include "install/uninstall_log.h"
#include "paths/canonical_path.h"
#include "paths/path_form.h"
#include "platform/install_platform.h"
#include "platform/path_platform.h"
#include "shared/product_files.h"
#include "shared/resource_ids.h"
#include "shared/text_buffers.h"

namespace {

// The outermost folder Setup makes gets the access rules of the Program
// Files folder, unless it lies in a folder whose rules the system keeps
// already: made below a drive's root, it would take over rules that let
// every user change it, and so place links in the product's way.
void MakeFolder(const char* path, bool outermost) {
  char protectedFolders[4][PathBufferSize], key[PathBufferSize], folderKey[PathBufferSize];
  const int n = outermost ? GetProtectedFolders(protectedFolders, 4) : 0;
  bool guarded = outermost && FoldedCopy(path, key, sizeof key);
  for (int i = 0; guarded && i < n; i++)
    guarded = !(FoldedCopy(protectedFolders[i], folderKey, sizeof folderKey) &&
                FoldedWithin(key, folderKey, true));
  if (QueryPath(path) != PathKind::Missing) return;
  if (guarded)
    CreateGuardedFolder(path);
  else
    CreateFolder(path);
  if (QueryPath(path) == PathKind::Folder) NoteStep("folder", path);
}

// The destination's missing parents, outermost first: made, then
// recorded once the destination (which holds the log) exists, so that the
// uninstaller removes what Setup made above its folder too.
int MakeMissingParents(const char* dest, char missing[][PathBufferSize], int capacity) {
  char path[PathBufferSize];
  if (!CopyText(path, dest, sizeof path)) return 0;
  int count = 0;
  for (;;) {
    path[LengthWithoutTrailingBackslash(path)] = '\0';
    const char* slash = LastBackslash(path);
    if (slash == nullptr || slash - path <= 2) break;  // up to the drive's root
    path[slash - path + 1] = '\0';
    if (QueryPath(path) != PathKind::Missing || count == capacity) break;
    CopyText(missing[count++], path, PathBufferSize);
  }
  for (int i = count - 1; i >= 0; i--) MakeFolder(missing[i], i == count - 1);
  return count;
}

// The four fixed folders, made before the entries because a folder is
// made one level at a time and the archive lists the deepest first. The
// destination holds the log, so it is made before the log is written; every
// later folder is recorded before it is made, so that a run ended at any
// moment (a crash, power) leaves no folder that the log does not list. False
// when a record could not be written, or a link stood on the way (its write
// error has then been shown when making).
// Only folders Setup makes are recorded (or an earlier run of it made): the
// destination when it was Setup's before the run, destinationOurs.
bool MakeFixedFolders(Pass pass, char parents[][PathBufferSize], int made, bool destinationOurs) {
  char* dest = installChoices.destinationDir;
  char path[PathBufferSize];
  for (int i = made - 1; i >= 0; i--)
    if (!uninstallLog.AddRecord(parents[i], DirsSection)) return false;
  if (destinationOurs && !uninstallLog.AddRecord(dest, DirsSection)) return false;
  CopyText(path, dest, sizeof path);
  for (const char* level : {"Modules", "\\boot", "\\24"}) {
    AppendText(path, level, sizeof path);
    if (dest[0] != '\0' && StopAtLink(dest, path)) return false;
    if (IsSetupsFolder(path, pass) && !uninstallLog.AddRecord(path, DirsSection)) return false;
    if (NoteFolder(path, pass) != 0) return false;
  }
  return true;
}

// Every record the run will add, in its order, noted by the same steps that
// make them and written into the log in one version before the first of
// them is made: the cost of the log then does not grow with the square of
// the entries. Planning stops where making would stop.
void PlanRecords(EntryListNode* head, char parents[][PathBufferSize], int made,
                 bool destinationOurs) {
  uninstallLog.BeginPlan();
  bool going = MakeFixedFolders(Pass::Plan, parents, made, destinationOurs);
  for (EntryListNode* node = head; going && node != nullptr; node = node->next)
    going = PlanEntry((node->attributes & AttributeDirectory) != 0, node->name) == 0;
  if (going && MakeShortcuts(Pass::Plan)) RegisterChosenFilters(Pass::Plan);
  ForgetPlannedFolders();
  // Planning stops where making would, at the same failure: the making pass
  // notes it when it gets there, after whatever fails before it.
  ForgetRunFailure();
  uninstallLog.WriteAhead();
}

// The earlier log's records that name what this Setup makes, carried into
// this run's log ahead of its own.
void CarryEarlierRecords(const EntryListNode* head) {
  char group[PathBufferSize], desktop[PathBufferSize];
  GetShellFolderPath(group, 0);
  GetShellFolderPath(desktop, 1);
  if (group[0] == '\0' || !AppendText(group, "\\", sizeof group) ||
      !AppendText(group, ProgramGroupFolder, sizeof group))
    group[0] = '\0';
  if (desktop[0] == '\0' || !AppendText(desktop, "\\", sizeof desktop) ||
      !AppendText(desktop, DesktopLinkName, sizeof desktop))
    desktop[0] = '\0';
  CarryEarlierRecords({installChoices.destinationDir, group, desktop}, head, &uninstallLog);
}

// The run up to its end or its stop; RunInstallation then ends the log.
InstallOutcome RunSteps(EntryListNode* head, int count, const InstallReport& report) {
  constexpr InstallOutcome Failed = InstallOutcome::Failed;
  InstallChoices& c = installChoices;
  const uint32_t installedKilobytes = InstalledKilobytes(head);
  report.setPositions(count + 2);

  // Every later path rests on the trailing backslash. The wizard refuses
  // destinations too long for it; should one get here, nothing is made.
  if (c.destinationDir[0] != '\0' && !EndsWithBackslash(c.destinationDir) &&
      !AppendText(c.destinationDir, "\\", sizeof c.destinationDir)) {
    ArchiveFreeList(head);
    FailWrite(c.destinationDir);
    return Failed;
  }
  // The log and its next version are deleted first: never through a link
  // (a deletion through a file link would delete what it points at).
  for (const char* name : {UninstallLogName, UninstallLogNextName}) {
    char log[PathBufferSize + 16] = "";
    if (c.destinationDir[0] != '\0' && AppendText(log, c.destinationDir, sizeof log) &&
        AppendText(log, name, sizeof log) && StopAtLink(c.destinationDir, log)) {
      ArchiveFreeList(head);
      return Failed;
    }
  }
  // What an earlier installation here made stays listed: its records go on
  // into this run's log, which replaces the earlier one only once it holds
  // them.
  char earlierLog[PathBufferSize + 16] = "";
  if (c.destinationDir[0] != '\0' && AppendText(earlierLog, c.destinationDir, sizeof earlierLog) &&
      AppendText(earlierLog, UninstallLogName, sizeof earlierLog))
    ReadEarlierLog(earlierLog);
  else
    ReadEarlierLog("");
  uninstallLog.Reset(c.destinationDir);
  CarryEarlierRecords(head);
  constexpr int MostParents = 64;
  static char parents[MostParents][PathBufferSize];
  const int made =
      c.destinationDir[0] != '\0' ? MakeMissingParents(c.destinationDir, parents, MostParents) : 0;
  const bool destinationOurs =
      c.destinationDir[0] == '\0' || IsSetupsFolder(c.destinationDir, Pass::Make);
  MakeFolder(c.destinationDir, made == 0);
  PlanRecords(head, parents, made, destinationOurs);
  if (!MakeFixedFolders(Pass::Make, parents, made, destinationOurs)) {
    ArchiveFreeList(head);
    FailWrite(uninstallLog.Path());
    return Failed;
  }

  int position = 1;
  EntryListNode* node = head;
  for (; node != nullptr && !report.stopRequested(); node = node->next) {
    if (InstallEntry((node->attributes & AttributeDirectory) != 0, node->name) != 0) {
      ArchiveFreeList(head);
      return Failed;
    }
    MoveToPosition(position++);
  }
  // A stop asked for after the last entry comes too late to leave anything
  // out: the run completes, and says so. (Without entries, the check before
  // the first one is the only one.)
  const bool stopped = node != nullptr || (head == nullptr && report.stopRequested());
  ArchiveFreeList(head);
  if (stopped) return InstallOutcome::Cancelled;

  InitializeCom();
  // A record that did not reach the log stops the run: nothing would remove
  // what it names. So does a link on the way to a shortcut.
  if (!MakeShortcuts(Pass::Make)) {
    FailWrite(uninstallLog.Path());
    return Failed;
  }

  WriteUninstallEntry(c.destinationDir, installedKilobytes);
  MoveToPosition(position);

  RegisterChosenFilters(Pass::Make);
  if (!uninstallLog.Whole()) {
    FailWrite(uninstallLog.Path());
    return Failed;
  }
  MoveToPosition(position + 1);

  char config[PathBufferSize + 16] = "";
  if (c.destinationDir[0] != '\0' && AppendText(config, c.destinationDir, sizeof config) &&
      AppendText(config, ProductConfigName, sizeof config) && StopAtLink(c.destinationDir, config))
    return Failed;
  if (!WriteProductConfig()) return Failed;
  return InstallOutcome::Completed;
}

}  // namespace

InstallOutcome RunInstallation(const InstallReport& report) {
  ForgetRunFailure();
  SetStepReport(&report);
  LoadEmbeddedArchive(&programArchive, ARCHIVE_RESOURCE);
  if (!ArchiveMatchesItsCheck(programArchive)) {
    FailDamaged();
    SetStepReport(nullptr);
    return InstallOutcome::Failed;
  }
  EntryListNode* head = nullptr;
  const int count = ArchiveListEntries(&programArchive, &head);
  const InstallOutcome outcome = RunSteps(head, count, report);
  ReleaseHeldFolders();
  // A run that stopped short of its plan leaves the log listing what it
  // never made: the exact log goes in its place. Should that version not
  // go in, the log still lists everything made, and more.
  uninstallLog.Settle();
  SetStepReport(nullptr);
  return outcome;
}
