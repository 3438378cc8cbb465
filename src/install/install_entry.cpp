// One archive entry at a time: the file selection, the folders above an
// entry, and the folder or file itself.
#include "install/install_entry.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>

#include "answers/install_choices.h"
#include "answers/module_table.h"
#include "archive/archive_reader.h"
#include "install/earlier_log.h"
#include "install/embedded_archive.h"
#include "install/install_failure.h"
#include "install/installation.h"
#include "install/step_notes.h"
#include "install/uninstall_log.h"
#include "paths/canonical_path.h"
#include "paths/path_form.h"
#include "platform/install_platform.h"
#include "platform/path_platform.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"

namespace {

constexpr int TargetPathSize = 360;

// An entry's file while its bytes come from the decoder.
struct EntryFile {
  FileBeingWritten handle;
  uint64_t sinceLastLook;  // bytes written since the program last looked at its messages
  bool whole;
};

// Lets the program's messages through every few megabytes of a large entry,
// so that its window stays alive while one file takes seconds.
constexpr uint64_t BytesBetweenLooks = uint64_t(8) << 20;

void WriteDecodedPiece(void* context, const uint8_t* bytes, uint32_t count) {
  EntryFile& file = *static_cast<EntryFile*>(context);
  // After a failed write the rest of the entry is decoded and dropped.
  if (file.whole) file.whole = WritePiece(file.handle, bytes, count);
  file.sinceLastLook += count;
  if (file.sinceLastLook >= BytesBetweenLooks) {
    file.sinceLastLook = 0;
    KeepResponding();
  }
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
    // A control character is no name Windows makes, and a line break would
    // split the entry's record in the uninstall log.
    if (*p != '\0' && static_cast<unsigned char>(*p) < 0x20) return false;
    if (*p == '\\' || *p == '/' || *p == '\0') {
      if (p - start == 2 && start[0] == '.' && start[1] == '.') return false;
      if (*p == '\0') return true;
      start = p + 1;
    }
  }
}

uint8_t StopAtLink(const char* place, const char* path) {
  char link[PathBufferSize];
  if (!FindLinkBelow(place, path, link, sizeof link)) return 0;
  return FailWrite(link);
}

namespace {

// The folders the planned entries before would have made, in folded form:
// while the run plans, they are not on disk yet.
std::unordered_set<std::string> plannedFolders;

std::string FoldedKey(const char* path) {
  std::string key(path);
  FoldCase(&key[0]);
  return key;
}

bool IsMissing(const char* path, Pass pass) {
  return QueryPath(path) == PathKind::Missing &&
         (pass == Pass::Make || plannedFolders.count(FoldedKey(path)) == 0);
}

}  // namespace

namespace {

// The earlier log's folder is claimed even when it is missing now, so that
// the run records it once.
bool RecordsFolder(const char* path, bool missing) {
  const bool earlier = ClaimEarlierFolder(path);
  return missing || earlier;
}

}  // namespace

bool IsSetupsFolder(const char* path, Pass pass) {
  return RecordsFolder(path, IsMissing(path, pass));
}

uint8_t NoteFolder(const char* path, Pass pass) {
  if (pass == Pass::Plan) {
    plannedFolders.insert(FoldedKey(path));
    return 0;
  }
  // Any other failure shows when the first file below it is written.
  char link[PathBufferSize];
  if (CreateFolderIn(installChoices.destinationDir, path, link))
    NoteStep("folder", path);
  else if (link[0] != '\0')
    return FailWrite(link);
  return 0;
}

void ForgetPlannedFolders() {
  plannedFolders.clear();
  ReleaseEarlierFolders();
}

// The folders above an entry that are not there yet, outermost first: each
// recorded, then made, so that an entry installs whatever the order of the
// archive's folder entries (which list the deepest first). For a tree whose
// folders all stand already, nothing is added.
static uint8_t MakeMissingLevels(char* target, Pass pass) {
  const size_t start = std::strlen(installChoices.destinationDir);
  for (char* p = target + start; *p != '\0'; p = const_cast<char*>(NextCharacter(p))) {
    if (*p != '\\') continue;
    *p = '\0';
    const bool missing = IsMissing(target, pass);
    const bool recorded =
        !RecordsFolder(target, missing) || uninstallLog.AddRecord(target, DirsSection);
    const uint8_t stopped = recorded && missing ? NoteFolder(target, pass) : 0;
    *p = '\\';
    if (!recorded) return FailWrite(uninstallLog.Path());
    if (stopped != 0) return stopped;
  }
  return 0;
}

// The one way of an entry for both passes: the plan notes the records that
// making the entry would add, in the same order, and stops where making it
// would stop, at the same failure (forgotten once the plan is done).
static uint8_t PutEntry(bool isDirectory, const char* name, Pass pass) {
  const bool make = pass == Pass::Make;
  if (!IsEntryWanted(name)) return 0;
  // A name that would leave the destination is treated like damaged data.
  if (!IsSafeEntryName(name)) return FailExtract();
  char target[TargetPathSize];
  if (!CopyText(target, installChoices.destinationDir, sizeof target) ||
      !AppendText(target, name, sizeof target)) {
    // Beyond what a path can hold: it could never be created.
    return FailWrite(name);
  }
  // Looked at before anything is recorded: what is behind a link is not
  // the product's, and the uninstaller must never be told it is.
  const char* dest = installChoices.destinationDir;
  if (dest[0] != '\0' && StopAtLink(dest, target)) return 1;
  if (dest[0] != '\0' && MakeMissingLevels(target, pass) != 0) return 1;
  if (isDirectory) {
    // Recorded first, as files are: a run ended in between leaves no
    // folder unlisted, and what could not be recorded is not made. A folder
    // that stood already is recorded only when Setup made it.
    if (IsSetupsFolder(target, pass) && !uninstallLog.AddRecord(target, DirsSection))
      return FailWrite(uninstallLog.Path());
    return NoteFolder(target, pass);
  }
  if (!make) return uninstallLog.AddRecord(target, FilesSection) ? 0 : 1;
  // Recorded before the file is made: a run ended while it is written
  // leaves nothing unlisted.
  if (!uninstallLog.AddRecord(target, FilesSection)) return FailWrite(uninstallLog.Path());
  char link[PathBufferSize];
  EntryFile file{StartFile(dest, target, link), 0, true};
  if (file.handle == nullptr) return FailWrite(link[0] != '\0' ? link : target);
  // Written as it is decoded, so that no entry needs memory of its size;
  // the file stays only when its bytes pass their CRC and all went to disk.
  const bool decoded =
      ArchiveStreamEntry(name, &programArchive, nullptr, WriteDecodedPiece, &file) != 0;
  if (!decoded || !file.whole) {
    EndFile(file.handle, FileEnd::Delete);
    return decoded ? FailWrite(target) : FailExtract();
  }
  if (!EndFile(file.handle, FileEnd::Keep)) return FailWrite(target);
  NoteStep("file", target);
  return 0;
}

uint8_t InstallEntry(bool isDirectory, const char* name) {
  return PutEntry(isDirectory, name, Pass::Make);
}

uint8_t PlanEntry(bool isDirectory, const char* name) {
  return PutEntry(isDirectory, name, Pass::Plan);
}
