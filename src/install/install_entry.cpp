// One archive entry at a time: the file selection, folders, files, and the
// two messages that stop the installation.
#include <cstdlib>
#include <cstring>

#include "archive/archive_reader.h"
#include "install/installation.h"
#include "install/uninstall_log.h"
#include "paths/canonical_path.h"
#include "paths/path_form.h"
#include "platform/install_platform.h"
#include "platform/path_platform.h"
#include "platform/platform.h"
#include "wizard/install_choices.h"
#include "wizard/module_table.h"
#include "wizard/resource_ids.h"
#include "wizard/text_buffers.h"

namespace {

constexpr int TargetPathSize = 360;
constexpr int ErrorTextSize = 360;

void StopInstallation() {
  installChoices.aborted = true;
  installChoices.errorReported = true;
}

uint8_t ShowExtractError() {
  char text[100];
  LoadResourceString(
      installChoices.language == Russian ? STRING_EXTRACT_ERROR_RU : STRING_EXTRACT_ERROR_EN, text,
      sizeof text);
  StopInstallation();
  ShowMessageBox(nullptr, text, nullptr);
  return 1;
}

}  // namespace

bool IsEntryWanted(const char* name) {
  return !IsDisabledModuleFile(name);
}

bool IsSafeEntryName(const char* name) {
  if (name[0] == '\0' || name[0] == '\\' || name[0] == '/') return false;
  if (std::strchr(name, ':') != nullptr) return false;
  // No component may be "..": split at both kinds of separator.
  const char* start = name;
  for (const char* p = name;; p++) {
    if (*p == '\\' || *p == '/' || *p == '\0') {
      if (p - start == 2 && start[0] == '.' && start[1] == '.') return false;
      if (*p == '\0') return true;
      start = p + 1;
    }
  }
}

uint8_t ShowWriteError(const char* path) {
  char text[ErrorTextSize + PathBufferSize + 4];
  LoadResourceString(
      installChoices.language == Russian ? STRING_CREATE_ERROR_RU : STRING_CREATE_ERROR_EN, text,
      ErrorTextSize);
  // The path on a line of its own, between double quotes; the buffer holds
  // the longest message and the longest path the installation builds.
  const size_t used = std::strlen(text);
  size_t n = std::strlen(path);
  if (n > sizeof text - used - 4) n = sizeof text - used - 4;
  text[used] = '\n';
  text[used + 1] = '"';
  std::memcpy(text + used + 2, path, n);
  text[used + 2 + n] = '"';
  text[used + 3 + n] = '\0';
  StopInstallation();
  ShowMessageBox(nullptr, text, nullptr);
  return 1;
}

uint8_t StopAtLink(const char* place, const char* path) {
  char link[PathBufferSize];
  if (!FindLinkBelow(place, path, link, sizeof link)) return 0;
  return ShowWriteError(link);
}

// The folders above an entry that are not there yet, outermost first: each
// recorded, then made, so that an entry installs whatever the order of the
// archive's folder entries (which list the deepest first). For a tree whose
// folders all stand already, nothing is added.
static uint8_t MakeMissingLevels(char* target) {
  const size_t start = std::strlen(installChoices.destinationDir);
  for (char* p = target + start; *p != '\0'; p = const_cast<char*>(NextCharacter(p))) {
    if (*p != '\\') continue;
    *p = '\0';
    const bool missing = QueryPath(target) == PathKind::Missing;
    const bool recorded = !missing || uninstallLog.AddRecord(target, "Dirs");
    if (recorded && missing) CreateFolder(target);
    *p = '\\';
    if (!recorded) return ShowWriteError(uninstallLog.Path());
  }
  return 0;
}

uint8_t InstallEntry(bool isDirectory, const char* name) {
  if (!IsEntryWanted(name)) return 0;
  // A name that would leave the destination is treated like damaged data.
  if (!IsSafeEntryName(name)) return ShowExtractError();
  char target[TargetPathSize];
  if (!CopyText(target, installChoices.destinationDir, sizeof target) ||
      !AppendText(target, name, sizeof target)) {
    // Beyond what a path can hold: it could never be created.
    return ShowWriteError(name);
  }
  // Looked at before anything is recorded: what is behind a link is not
  // the product's, and the uninstaller must never be told it is.
  if (installChoices.destinationDir[0] != '\0' && StopAtLink(installChoices.destinationDir, target))
    return 1;
  if (installChoices.destinationDir[0] != '\0' && MakeMissingLevels(target) != 0) return 1;
  if (isDirectory) {
    // Recorded first, as files are: a run ended in between leaves no
    // folder unlisted, and what could not be recorded is not made.
    if (!uninstallLog.AddRecord(target, "Dirs")) return ShowWriteError(uninstallLog.Path());
    CreateFolder(target);
    return 0;
  }
  uint8_t* data = nullptr;
  uint32_t size = 0;
  if (!ArchiveGetEntry(&data, &size, name, &programArchive, nullptr)) return ShowExtractError();
  if (!uninstallLog.AddRecord(target, "Files")) {
    std::free(data);
    return ShowWriteError(uninstallLog.Path());
  }
  const bool written = WriteWholeFile(target, data, size);
  std::free(data);
  if (!written) return ShowWriteError(target);
  return 0;
}
