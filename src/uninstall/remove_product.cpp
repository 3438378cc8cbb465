// The removal in its order: filters are unregistered before their files go,
// files before the folders that hold them, folders deepest first, then the
// uninstall entry, and last the program itself. Only records that name a
// path inside the product's places are acted on, and nothing is acted on
// through a link below a place: such a record stays in the log, and with it
// the uninstaller, its log, Orbivue.ini and the uninstall entry.
#include "uninstall/remove_product.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>

#include "paths/canonical_path.h"
#include "platform/install_platform.h"
#include "platform/uninstall_platform.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"
#include "uninstall/log_rewrite.h"
#include "uninstall/long_names.h"

namespace {

// regsvr32 is waited for to its end; one that hangs this long is given up.
constexpr int RegistrationWaitMs = 60000;

using PathSet = std::unordered_set<std::string>;

// The folded form, the one every comparison uses.
std::string Key(const std::string& path) {
  char key[PathCapacity];
  return FoldedCopy(path.c_str(), key, sizeof key) ? std::string(key) : std::string();
}

// Where a record is acted on, and how much of that path is the product
// place it lies in.
struct Target {
  std::string path;
  size_t placeLength;
};
using TargetList = std::vector<Target>;

// The records that may be acted on, each once, in the log's order.
struct AcceptedRecords {
  TargetList dirs, files, filters;
  bool Empty() const { return dirs.empty() && files.empty() && filters.empty(); }
};

// A record spelled with 8.3 names is taken in its long form.
AcceptedRecords AcceptRecords(const LogRecords& records, const ProductPlaces& places,
                              LongNames* longNames, UninstallOutcome* outcome) {
  AcceptedRecords accepted;
  const struct {
    const char* section;
    const std::vector<std::string>& records;
    RecordKind kind;
    TargetList* into;
  } sections[] = {{DirsSection, records.dirs, RecordKind::Folder, &accepted.dirs},
                  {FilesSection, records.files, RecordKind::File, &accepted.files},
                  {FiltersSection, records.filters, RecordKind::Filter, &accepted.filters}};
  for (const auto& section : sections) {
    PathSet seen;
    bool destinationSeen = false;
    for (const std::string& record : section.records) {
      const std::string path = longNames->Of(record, section.kind == RecordKind::Folder);
      CheckedRecord checked;
      PathVerdict verdict = CheckRecordPath(path.c_str(), section.kind, places, &checked);
      // Setup records the folders it made above the destination before the
      // destination itself; listed after it, such a folder is not its.
      if (verdict == PathVerdict::Accepted && checked.aboveDestination && destinationSeen)
        verdict = PathVerdict::OutsideProduct;
      if (verdict == PathVerdict::Accepted && section.kind == RecordKind::Folder &&
          SamePath(checked.actOn, places.destination))
        destinationSeen = true;
      if (verdict != PathVerdict::Accepted) {
        outcome->refused.push_back({section.section, record, verdict});
        // A sound record that only this spelling of the folder makes too
        // long names the product's file: while it is there, so is the log.
        if (verdict == PathVerdict::TooLong &&
            CheckPathForm(path.c_str(), section.kind == RecordKind::Folder) ==
                PathVerdict::Accepted &&
            QueryPath(path.c_str()) != PathKind::Missing)
          outcome->refusedLeft.push_back({section.section, record, verdict});
        continue;
      }
      if (seen.insert(Key(checked.actOn)).second)
        section.into->push_back({checked.actOn, checked.placeLength});
    }
  }
  return accepted;
}

class Progress {
 public:
  Progress(bool show, int maximum) : show_(show), maximum_(maximum) {}
  void Step() {
    if (show_) SetProgressWindow(++position_, maximum_);
  }

 private:
  bool show_;
  int position_ = 0, maximum_;
};

// The product place a target lies in, the part of its path the acts start
// from.
std::string PlaceOf(const Target& target) {
  return target.path.substr(0, target.placeLength);
}

// Names a link in the outcome, once.
void NoteLink(const char* link, UninstallOutcome* outcome) {
  if (std::find(outcome->linksFound.begin(), outcome->linksFound.end(), link) ==
      outcome->linksFound.end())
    outcome->linksFound.push_back(link);
}

// Looked at just before the act, so that a link made since the log was
// read is seen too: true when a component below the target's place, or the
// target itself, is a link. The link is named in the outcome (once). The
// act itself stops at a link swapped in after this look (ActOn).
bool ThroughLink(const Target& target, UninstallOutcome* outcome, PathKind* kind = nullptr) {
  char link[PathCapacity];
  if (kind != nullptr) *kind = PathKind::Link;
  if (target.placeLength >= PathCapacity) return true;
  // A path where a link was met once is a link for the rest of the run,
  // whatever it looks like now: something exchanges it.
  for (const std::string& found : outcome->linksFound)
    if (SamePath(target.path.c_str(), found.c_str()) ||
        LiesWithin(target.path.c_str(), found.c_str()))
      return true;
  // The place itself may be a link the user chose (a destination elsewhere);
  // a folder that is a link is never removed either (see RemoveFolders).
  if (!FindLinkBelow(PlaceOf(target).c_str(), target.path.c_str(), link, sizeof link, kind))
    return false;
  NoteLink(link, outcome);
  return true;
}

enum class Act { Done, Failed, StoppedAtLink };

// Deletes the target, a file or an empty folder, from its place; a link the
// act met is named as ThroughLink names one.
Act ActOn(const Target& target, bool folder, UninstallOutcome* outcome) {
  char link[PathCapacity];
  const std::string place = PlaceOf(target);
  const bool gone = folder ? RemoveEmptyFolder(place.c_str(), target.path.c_str(), link)
                           : RemoveFile(place.c_str(), target.path.c_str(), link);
  if (gone) return Act::Done;
  if (link[0] == '\0') return Act::Failed;
  NoteLink(link, outcome);
  return Act::StoppedAtLink;
}

// Whether the filter's classes are registered to another file of its name
// (another installation's, which registered the same classes later): its
// own unregistration would then take them from that one.
bool RegisteredElsewhere(const Target& filter, LongNames* longNames) {
  const char* slash = LastBackslash(filter.path.c_str());
  const std::vector<std::string> servers =
      RegisteredServersNamed(slash != nullptr ? slash + 1 : filter.path.c_str());
  for (const std::string& server : servers)
    if (SamePath(longNames->Of(server, false).c_str(), filter.path.c_str())) return false;
  return !servers.empty();
}

void UnregisterFilters(const TargetList& filters, LongNames* longNames, Progress& progress,
                       UninstallOutcome* outcome) {
  char system[PathCapacity];
  GetSystemFolder(system, sizeof system);
  for (const Target& filter : filters) {
    progress.Step();
    // Through a link, the file registered would be someone else's.
    if (ThroughLink(filter, outcome)) continue;
    if (QueryPath(filter.path.c_str()) != PathKind::File) continue;  // nothing left to unregister
    if (RegisteredElsewhere(filter, longNames)) {
      outcome->othersKept.push_back(filter.path);  // the file itself is this one's, and goes
      continue;
    }
    // regsvr32 runs the file by its path: held, as checked, while it runs.
    char link[PathCapacity];
    HeldFile held = HoldFile(PlaceOf(filter).c_str(), filter.path.c_str(), link);
    if (held == nullptr) {
      // A filter that can't be held stays registered, and so keeps its file.
      if (link[0] != '\0')
        NoteLink(link, outcome);
      else
        outcome->filtersLeft.push_back(filter.path);
      continue;
    }
    char command[2 * PathCapacity + 40];
    std::snprintf(command, sizeof command, "\"%s\\regsvr32.exe\" /u /s \"%s\"", system,
                  filter.path.c_str());
    uint32_t exitCode = 1;
    const bool ended = system[0] != '\0' && RunHiddenToEnd(command, RegistrationWaitMs, &exitCode);
    ReleaseFile(held);
    if (ended && exitCode == 0)
      outcome->filtersUnregistered++;
    else
      outcome->filtersLeft.push_back(filter.path);
  }
}

// The shortcuts among files (those in the program group or on the desktop)
// that start another installation's programs: their target's folder is
// neither this one nor the one the log spells. Looked at before any file
// goes, while the targets' folders can still be read in their long form.
PathSet OthersShortcuts(const TargetList& files, const ProductPlaces& places) {
  PathSet others;
  for (const Target& file : files) {
    if (LiesWithin(file.path.c_str(), places.destination) ||
        (places.loggedDestination[0] != '\0' &&
         LiesWithin(file.path.c_str(), places.loggedDestination)))
      continue;
    char target[PathCapacity];
    // A file that is no readable shortcut starts nothing: it goes as recorded.
    if (!ReadShortcutTarget(PlaceOf(file).c_str(), file.path.c_str(), target, sizeof target))
      continue;
    const char* slash = LastBackslash(target);
    if (slash == nullptr) continue;
    // Setup saves the target in its 8.3 form.
    char folder[PathCapacity];
    const std::string saved(target, size_t(slash - target) + 1);
    if (!GetLongPath(saved.c_str(), folder, sizeof folder))
      CopyText(folder, saved.c_str(), sizeof folder);
    bool ours = false;
    for (const char* own : {places.destination, places.loggedDestination})
      ours = ours || (own[0] != '\0' && SamePath(folder, own));
    if (!ours) others.insert(Key(file.path));
  }
  return others;
}

void DeleteFiles(const TargetList& files, const char* programPath, const PathSet& othersShortcuts,
                 Progress& progress, UninstallOutcome* outcome) {
  const std::string program = Key(programPath);
  PathSet filtersLeft;
  for (const std::string& f : outcome->filtersLeft) filtersLeft.insert(Key(f));
  for (const Target& file : files) {
    progress.Step();
    // The running program goes last, by moving out of the folder; a filter
    // that is still registered keeps its file.
    const std::string key = Key(file.path);
    if (key == program || filtersLeft.count(key) != 0) continue;
    if (othersShortcuts.count(key) != 0) {
      if (QueryPath(file.path.c_str()) == PathKind::File) outcome->othersKept.push_back(file.path);
      continue;
    }
    // The walk's look at the file itself tells whether it is still there.
    PathKind kind;
    if (ThroughLink(file, outcome, &kind)) continue;
    if (kind != PathKind::File) continue;  // gone already, or not a file
    const Act act = ActOn(file, false, outcome);
    if (act == Act::Done)
      outcome->filesRemoved++;
    else if (act == Act::Failed)
      outcome->filesLeft.push_back(file.path);
  }
}

// Setup's own INI files and the next version of the log, which the log
// does not list.
void DeleteProductFile(const char* folder, const char* name, UninstallOutcome* outcome) {
  char path[PathCapacity];
  if (!CopyText(path, folder, sizeof path) || !AppendText(path, name, sizeof path)) return;
  const Target file{path, std::strlen(folder)};
  if (ThroughLink(file, outcome)) return;
  if (QueryPath(path) != PathKind::File) return;
  const Act act = ActOn(file, false, outcome);
  if (act == Act::Done)
    outcome->filesRemoved++;
  else if (act == Act::Failed)
    outcome->filesLeft.push_back(path);
}

size_t Depth(const std::string& path) {
  size_t n = LengthWithoutTrailingBackslash(path.c_str()), depth = 0;
  for (const char* p = path.c_str(); p < path.c_str() + n; p = NextCharacter(p))
    if (*p == '\\') depth++;
  return depth;
}

// The folded folders that hold any of paths, at any depth.
PathSet HoldersOf(const std::vector<std::string>& paths) {
  PathSet holders;
  for (const std::string& path : paths) {
    const std::string key = Key(path);
    const size_t n = LengthWithoutTrailingBackslash(key.c_str());
    for (const char* p = key.c_str(); p < key.c_str() + n; p = NextCharacter(p))
      if (*p == '\\') holders.insert(key.substr(0, size_t(p - key.c_str())));
  }
  return holders;
}

void RemoveFolders(const TargetList& dirs, const std::vector<std::string>& productLeft,
                   Progress& progress, UninstallOutcome* outcome) {
  ReleaseHeldFolders();  // none of them may be held by the acts on files
  TargetList deepestFirst = dirs;
  std::stable_sort(deepestFirst.begin(), deepestFirst.end(),
                   [](const Target& a, const Target& b) { return Depth(a.path) > Depth(b.path); });
  const PathSet holdsProduct = HoldersOf(productLeft);
  for (const Target& folder : deepestFirst) {
    progress.Step();
    // A folder that is itself a link (the destination the user chose, say)
    // stays as it is, with whatever it points at.
    if (ThroughLink(folder, outcome)) continue;
    if (QueryPath(folder.path.c_str()) != PathKind::Folder) continue;
    const Act act = ActOn(folder, true, outcome);
    if (act == Act::Done) outcome->foldersRemoved++;
    if (act != Act::Failed) continue;
    // Named in the message only when what holds it is not the product's.
    const std::string key = Key(folder.path);
    if (holdsProduct.count(key.substr(0, LengthWithoutTrailingBackslash(key.c_str()))) == 0)
      outcome->foldersKept.push_back(folder.path);
  }
}

// The records that remain: those accepted whose paths are still there,
// every filter that could not be unregistered, and the refused records kept.
LogRecords Remaining(const AcceptedRecords& accepted, const UninstallOutcome& outcome) {
  PathSet filtersLeft;
  for (const std::string& f : outcome.filtersLeft) filtersLeft.insert(Key(f));
  LogRecords remaining;
  for (const Target& d : accepted.dirs)
    if (QueryPath(d.path.c_str()) != PathKind::Missing) remaining.dirs.push_back(d.path);
  for (const Target& f : accepted.files)
    if (QueryPath(f.path.c_str()) != PathKind::Missing) remaining.files.push_back(f.path);
  for (const Target& f : accepted.filters)
    if (filtersLeft.count(Key(f.path)) != 0 || QueryPath(f.path.c_str()) != PathKind::Missing)
      remaining.filters.push_back(f.path);
  for (const RefusedRecord& r : outcome.refusedLeft) {
    if (r.section == DirsSection) remaining.dirs.push_back(r.path);
    if (r.section == FilesSection) remaining.files.push_back(r.path);
    if (r.section == FiltersSection) remaining.filters.push_back(r.path);
  }
  return remaining;
}

// Removed only when it is this installation's: its command names the
// uninstaller of this folder, under the own spelling or the log's.
void RemoveUninstallEntry(const ProductPlaces& places, UninstallOutcome* outcome) {
  char command[PathCapacity + 16];
  if (!ReadLocalMachineValue(UninstallKeyParent, UninstallKeyName, UninstallCommandValue, command,
                             sizeof command))
    return;
  // The program's path, quoted or not, without the arguments after it (the
  // silent switch " /S" of the quiet command).
  char* path = command;
  if (path[0] == '"') {
    path++;
    if (char* close = std::strchr(path, '"')) *close = '\0';
  } else {
    size_t n = std::strlen(path);
    while (n > 0 && path[n - 1] == ' ') n--;
    if (n > 3 && path[n - 3] == ' ' && path[n - 2] == '/' && (path[n - 1] | 0x20) == 's') n -= 3;
    while (n > 0 && path[n - 1] == ' ') n--;
    path[n] = '\0';
  }
  bool ours = false;
  for (const char* folder : {places.destination, places.loggedDestination}) {
    char program[PathCapacity];
    if (folder[0] != '\0' && CopyText(program, folder, sizeof program) &&
        AppendText(program, UninstallerName, sizeof program) && SamePath(path, program))
      ours = true;
  }
  if (!ours) {
    outcome->entryForeign = true;
    return;
  }
  outcome->entryRemoved = DeleteLocalMachineKey(UninstallKeyParent, UninstallKeyName);
}

}  // namespace

void RemoveProduct(const LogRecords& records, const ProductPlaces& places, const char* programPath,
                   bool showProgress, UninstallOutcome* outcome) {
  LongNames longNames;
  const AcceptedRecords accepted = AcceptRecords(records, places, &longNames, outcome);
  // A log of which no record is this folder's is not this installation's
  // under any spelling: nothing is removed, the uninstaller least of all.
  if (accepted.Empty() && !outcome->refused.empty()) {
    outcome->noRecordOurs = true;
    return;
  }
  const char* folder = places.destination;
  char logPath[PathCapacity] = "";
  if (folder[0] != '\0' && CopyText(logPath, folder, sizeof logPath))
    AppendText(logPath, UninstallLogName, sizeof logPath);
  Progress progress(
      showProgress,
      int(accepted.filters.size() + accepted.files.size() + accepted.dirs.size()) + 3);

  const PathSet othersShortcuts = OthersShortcuts(accepted.files, places);
  UnregisterFilters(accepted.filters, &longNames, progress, outcome);
  DeleteFiles(accepted.files, programPath, othersShortcuts, progress, outcome);
  progress.Step();

  // What removes the product, and the viewer's settings, go only with the
  // last of the product's files.
  // A link in place of any of Setup's own files keeps them all.
  if (folder[0] != '\0')
    for (const char* name : {ProductConfigName, UninstallLogNextName, UninstallLogName}) {
      char path[PathCapacity];
      if (CopyText(path, folder, sizeof path) && AppendText(path, name, sizeof path))
        ThroughLink({path, std::strlen(folder)}, outcome);
    }
  if (!outcome->LeftOver() && folder[0] != '\0') {
    DeleteProductFile(folder, ProductConfigName, outcome);
    // With the log goes the next version of it that a killed Setup may
    // have left beside it.
    if (!outcome->LeftOver()) DeleteProductFile(folder, UninstallLogNextName, outcome);
    if (!outcome->LeftOver()) DeleteProductFile(folder, UninstallLogName, outcome);
  }
  std::vector<std::string> productLeft = outcome->filesLeft;
  for (const std::string& link : outcome->linksFound) productLeft.push_back(link);
  char moved[PathCapacity] = "";
  if (outcome->LeftOver()) {
    // The uninstaller, its log and the uninstall entry stay for a second run.
    productLeft.push_back(programPath);
    productLeft.push_back(logPath);
  } else {
    // A running program can't delete its file, but may move it: out of the
    // product's folder into the temporary folder, gone at the next restart.
    outcome->programMoved = MoveProgramToTemp(programPath, moved, sizeof moved);
    if (!outcome->programMoved) {
      productLeft.push_back(programPath);
      DeleteAtRestart(programPath);
    }
  }
  progress.Step();

  RemoveFolders(accepted.dirs, productLeft, progress, outcome);
  if (outcome->LeftOver() && logPath[0] != '\0')
    RewriteLog(folder, logPath, Remaining(accepted, *outcome));
  if (!outcome->LeftOver()) {
    if (folder[0] != '\0') RemoveUninstallEntry(places, outcome);
    if (outcome->programMoved)
      DeleteAtRestart(moved);
    else if (folder[0] != '\0')
      DeleteAtRestart(folder);  // once the program has gone with it
  }
  progress.Step();
}
