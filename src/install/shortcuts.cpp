#include "install/shortcuts.h"

#include <cstring>

#include "answers/install_choices.h"
#include "install/install_failure.h"
#include "install/step_notes.h"
#include "install/uninstall_log.h"
#include "paths/path_form.h"
#include "platform/install_platform.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"

void GetShellFolderPath(char* path, uint8_t onDesktop) {
  GetShellFolder(onDesktop != 0, path);
}

int32_t CreateShellLink(const char* target, const char* place, const char* link,
                        const char* description, const char* arguments, int iconIndex,
                        char* linkFound) {
  // The working folder is the target's folder, without its last backslash.
  char workingFolder[PathBufferSize];
  if (!CopyText(workingFolder, target, sizeof workingFolder)) workingFolder[0] = '\0';
  if (const char* slash = LastBackslash(workingFolder)) workingFolder[slash - workingFolder] = '\0';
  return SaveShellLink(target, workingFolder, description, arguments, iconIndex, place, link,
                       linkFound);
}

bool MakeShortcut(const char* targetFile, const char* linkFile, uint8_t onDesktop,
                  const char* arguments, Pass pass) {
  const bool make = pass == Pass::Make;
  char target[PathBufferSize];
  if (!CopyText(target, installChoices.destinationDir, sizeof target)) target[0] = '\0';
  if (make) GetShortPath(installChoices.destinationDir, target);
  char link[PathBufferSize];
  GetShellFolderPath(link, onDesktop);
  // The shell's folder is the place: nothing below it is followed.
  char place[PathBufferSize];
  if (!CopyText(place, link, sizeof place) || !AppendText(place, "\\", sizeof place))
    place[0] = '\0';
  bool fits = AppendText(target, targetFile, sizeof target);
  char whole[PathBufferSize];
  if (place[0] != '\0' && CopyText(whole, place, sizeof whole) &&
      (onDesktop || AppendText(whole, ProgramGroupFolder, sizeof whole)) &&
      AppendText(whole, linkFile, sizeof whole) && StopAtLink(place, whole))
    return false;
  if (!onDesktop) {
    char group[sizeof ProgramGroupFolder + 1] = "\\";
    AppendText(group, ProgramGroupFolder, sizeof group);
    fits = AppendText(link, group, sizeof link) && fits;
    // Records come before what they record: a run ended in between leaves
    // nothing that the log does not list.
    if (!uninstallLog.AddRecord(link, DirsSection)) return false;
    char linkFound[PathBufferSize];
    if (make && !CreateFolderIn(place, link, linkFound) && linkFound[0] != '\0') {
      FailWrite(linkFound);
      return false;
    }
  } else {
    fits = AppendText(link, "\\", sizeof link) && fits;
  }
  fits = AppendText(link, linkFile, sizeof link) && fits;
  // A path that does not fit is never saved half-made; it is still logged
  // as every shortcut tried is.
  if (!uninstallLog.AddRecord(link, FilesSection)) return false;
  if (!fits || !make) return true;
  // A shortcut that could not be saved is its write error, as a file is.
  char linkFound[PathBufferSize];
  if (CreateShellLink(target, place, link, "", arguments, 0, linkFound) < 0) {
    FailWrite(linkFound[0] != '\0' ? linkFound : link);
    return false;
  }
  NoteStep("shortcut", link);
  return true;
}

bool MakeShortcuts(Pass pass) {
  // The viewer's shortcut bears the same name in the group as on the desktop.
  return MakeShortcut(ViewerProgramName, DesktopLinkName, 0, "", pass) &&
         MakeShortcut(ViewerProgramName, DesktopLinkName, 1, "", pass) &&
         MakeShortcut(UninstallerName, "Uninstall.lnk", 0, nullptr, pass) &&
         MakeShortcut("graphedt.exe", "GraphEdit.lnk", 0, nullptr, pass);
}
