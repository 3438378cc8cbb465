// The removal in its order: filters are unregistered before their files go,
// files before the folders that hold them, folders deepest first, then the
// uninstall entry, and last the program itself. Only records that name a
// path inside the product's places are acted on.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/install_platform.h"
#include "platform/uninstall_platform.h"
#include "uninstall/run_uninstall.h"
#include "wizard/text_buffers.h"

namespace {

const char UninstallKeyParent[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char UninstallKeyName[] = "Orbivue";
// regsvr32 is waited for to its end; one that hangs this long is given up.
constexpr int RegistrationWaitMs = 60000;

using PathList = std::vector<std::string>;

bool Contains(const PathList& list, const std::string& path) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& p) { return SamePath(p.c_str(), path.c_str()); });
}

void AddUnique(PathList* list, const std::string& path) {
  if (!Contains(*list, path)) list->push_back(path);
}

// The records that may be acted on, each once, in the log's order.
struct AcceptedRecords {
  PathList dirs, files, filters;
};

AcceptedRecords AcceptRecords(const LogRecords& records, const ProductPlaces& places,
                              UninstallOutcome* outcome) {
  AcceptedRecords accepted;
  const struct {
    const char* section;
    const PathList& records;
    RecordKind kind;
    PathList* into;
  } sections[] = {{"Dirs", records.dirs, RecordKind::Folder, &accepted.dirs},
                  {"Files", records.files, RecordKind::File, &accepted.files},
                  {"Filters", records.filters, RecordKind::Filter, &accepted.filters}};
  for (const auto& section : sections)
    for (const std::string& path : section.records) {
      const PathVerdict verdict = CheckRecordPath(path.c_str(), section.kind, places);
      if (verdict == PathVerdict::Accepted)
        AddUnique(section.into, path);
      else
        outcome->refused.push_back({section.section, path, verdict});
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

bool ExistsAt(const std::string& path) {
  return QueryPath(path.c_str()) != PathKind::Missing;
}

void UnregisterFilters(const PathList& filters, Progress& progress, UninstallOutcome* outcome) {
  char system[PathCapacity];
  GetSystemFolder(system, sizeof system);
  for (const std::string& filter : filters) {
    progress.Step();
    if (QueryPath(filter.c_str()) != PathKind::File) continue;  // nothing left to unregister
    char command[2 * PathCapacity + 40];
    std::snprintf(command, sizeof command, "\"%s\\regsvr32.exe\" /u /s \"%s\"", system,
                  filter.c_str());
    uint32_t exitCode = 1;
    if (system[0] != '\0' && RunHiddenToEnd(command, RegistrationWaitMs, &exitCode) &&
        exitCode == 0)
      outcome->filtersUnregistered++;
    else
      outcome->filtersLeft.push_back(filter);
  }
}

void DeleteFiles(const PathList& files, const char* programPath, Progress& progress,
                 UninstallOutcome* outcome) {
  for (const std::string& file : files) {
    progress.Step();
    // The running program goes last, by moving out of the folder; a filter
    // that is still registered keeps its file.
    if (SamePath(file.c_str(), programPath) || Contains(outcome->filtersLeft, file)) continue;
    if (QueryPath(file.c_str()) != PathKind::File) continue;  // gone already, or not a file
    if (RemoveFile(file.c_str()))
      outcome->filesRemoved++;
    else
      outcome->filesLeft.push_back(file);
  }
}

// Setup's own two INI files, which the log does not list.
void DeleteProductFile(const char* folder, const char* name, UninstallOutcome* outcome) {
  char path[PathCapacity];
  if (!CopyText(path, folder, sizeof path) || !AppendText(path, name, sizeof path)) return;
  if (QueryPath(path) != PathKind::File) return;
  if (RemoveFile(path))
    outcome->filesRemoved++;
  else
    outcome->filesLeft.push_back(path);
}

size_t Depth(const std::string& path) {
  size_t n = path.size();
  while (n > 0 && path[n - 1] == '\\') n--;
  return size_t(std::count(path.begin(), path.begin() + long(n), '\\'));
}

void RemoveFolders(const PathList& dirs, const PathList& productLeft, Progress& progress,
                   UninstallOutcome* outcome) {
  PathList deepestFirst = dirs;
  std::stable_sort(deepestFirst.begin(), deepestFirst.end(),
                   [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
  for (const std::string& folder : deepestFirst) {
    progress.Step();
    if (QueryPath(folder.c_str()) != PathKind::Folder) continue;
    if (RemoveEmptyFolder(folder.c_str())) {
      outcome->foldersRemoved++;
      continue;
    }
    // Named in the message only when what holds it is not the product's.
    const bool holdsProduct =
        std::any_of(productLeft.begin(), productLeft.end(),
                    [&](const std::string& p) { return LiesWithin(p.c_str(), folder.c_str()); });
    if (!holdsProduct) outcome->foldersKept.push_back(folder);
  }
}

// Uninstall.ini anew, listing exactly what remains, so that a second run
// finishes the job. Written beside it first and then put in its place.
void RewriteLog(const char* logPath, const AcceptedRecords& accepted,
                const UninstallOutcome& outcome) {
  char fresh[PathCapacity];
  if (!CopyText(fresh, logPath, sizeof fresh) || !AppendText(fresh, ".new", sizeof fresh)) return;
  RemoveFile(fresh);
  PathList dirs, files, filters;
  for (const std::string& d : accepted.dirs)
    if (QueryPath(d.c_str()) == PathKind::Folder) dirs.push_back(d);
  for (const std::string& f : accepted.files)
    if (ExistsAt(f)) files.push_back(f);
  for (const std::string& f : accepted.filters)
    if (Contains(outcome.filtersLeft, f) || ExistsAt(f)) filters.push_back(f);
  const struct {
    const char* name;
    const PathList& records;
  } sections[] = {{"Dirs", dirs}, {"Files", files}, {"Filters", filters}};
  for (const auto& section : sections) {
    if (section.records.empty()) continue;
    char number[20];
    std::snprintf(number, sizeof number, "%d", int(section.records.size()));
    WriteProfileValue(section.name, "count", number, fresh);
    for (size_t i = 0; i < section.records.size(); i++) {
      std::snprintf(number, sizeof number, "%d", int(i + 1));
      WriteProfileValue(section.name, number, section.records[i].c_str(), fresh);
    }
  }
  if (!PutFileInPlace(fresh, logPath)) RemoveFile(fresh);  // the old log still lists more
}

// Removed only when it is this installation's: its command names the
// uninstaller of this folder.
void RemoveUninstallEntry(const char* folder, UninstallOutcome* outcome) {
  char command[PathCapacity + 2];
  if (!ReadLocalMachineValue(UninstallKeyParent, UninstallKeyName, "UninstallString", command,
                             sizeof command))
    return;
  char* path = command;
  const size_t n = std::strlen(path);
  if (n >= 2 && path[0] == '"' && path[n - 1] == '"') {
    path[n - 1] = '\0';
    path++;
  }
  char ours[PathCapacity];
  if (!CopyText(ours, folder, sizeof ours) || !AppendText(ours, "Uninstall.exe", sizeof ours) ||
      !SamePath(path, ours)) {
    outcome->entryForeign = true;
    return;
  }
  outcome->entryRemoved = DeleteLocalMachineKey(UninstallKeyParent, UninstallKeyName);
}

}  // namespace

void RemoveProduct(const LogRecords& records, const ProductPlaces& places, const char* programPath,
                   bool showProgress, UninstallOutcome* outcome) {
  const AcceptedRecords accepted = AcceptRecords(records, places, outcome);
  const char* folder = places.destination;
  char logPath[PathCapacity] = "";
  if (folder[0] != '\0' && CopyText(logPath, folder, sizeof logPath))
    AppendText(logPath, "Uninstall.ini", sizeof logPath);
  Progress progress(
      showProgress,
      int(accepted.filters.size() + accepted.files.size() + accepted.dirs.size()) + 3);

  UnregisterFilters(accepted.filters, progress, outcome);
  DeleteFiles(accepted.files, programPath, progress, outcome);
  if (folder[0] != '\0') DeleteProductFile(folder, "Orbivue.ini", outcome);
  progress.Step();

  if (!outcome->LeftOver() && folder[0] != '\0') {
    // With the log goes the next version of it that a killed Setup may
    // have left beside it.
    DeleteProductFile(folder, "Uninstall.ini.new", outcome);
    DeleteProductFile(folder, "Uninstall.ini", outcome);
  }
  PathList productLeft = outcome->filesLeft;
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
  if (outcome->LeftOver() && logPath[0] != '\0') RewriteLog(logPath, accepted, *outcome);
  if (!outcome->LeftOver()) {
    if (folder[0] != '\0') RemoveUninstallEntry(folder, outcome);
    if (outcome->programMoved)
      DeleteAtRestart(moved);
    else if (folder[0] != '\0')
      DeleteAtRestart(folder);  // once the program has gone with it
  }
  progress.Step();
}

int UninstallOutcome::ExitCode() const {
  if (LeftOver()) return ExitLeftOver;
  return refused.empty() ? ExitRemoved : ExitRefused;
}
