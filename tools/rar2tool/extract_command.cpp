// rar2tool extract: writes every entry below DIR. Names come back from code
// page 1251 to UTF-8, times are restored (folders' after their contents), no
// symbolic link is ever followed, and existing files are replaced or kept
// only when asked.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "archive/archive_reader.h"
#include "archive_file.h"
#include "commands.h"
#include "entry_fetch.h"
#include "entry_names.h"
#include "entry_path.h"
#include "header_walk.h"
#include "password_check.h"
#include "pending_file.h"
#include "progress_line.h"
#include "safe_output.h"

namespace {

// Failures of the file system are told once per cause, with the number of
// entries they stopped; a failure of one entry is told on its own line.
class FailureLog {
 public:
  void Entry(const std::string& line) {
    Fail(line);
    count_++;
  }
  void Cause(const std::string& cause) {
    if (counts_.count(cause) == 0) order_.push_back(cause);
    counts_[cause]++;
    count_++;
  }
  void PrintCauses() const {
    for (const std::string& cause : order_)
      Fail(cause + " (" + Count(counts_.at(cause), "entry", "entries") + " not extracted)");
  }
  int count() const { return count_; }

 private:
  std::vector<std::string> order_;
  std::map<std::string, uint64_t> counts_;
  int count_ = 0;
};

// A full or read-only destination is one cause, told for DIR: each entry
// and folder below it meets the same.
void Record(FailureLog* log, const std::string& dir, const std::string& entryName,
            const OutputFailure& f) {
  if (StopsWholeDestination(f))
    log->Cause(dir + ": cannot write: " + std::strerror(f.error));
  else if (f.entryOnly)
    log->Entry(entryName + ": " + f.where + ": " + f.what);
  else
    log->Cause(f.where + ": " + f.what);
}

// Makes DIR and its parents, following links as the user's own path may.
bool MakeDestination(const std::string& dir, std::string* error) {
  std::string path;
  size_t start = 0;
  while (start <= dir.size()) {
    size_t slash = dir.find('/', start);
    if (slash == std::string::npos) slash = dir.size();
    path = dir.substr(0, slash);
    start = slash + 1;
    if (path.empty()) continue;
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
      *error = path + ": " + std::strerror(errno);
      return false;
    }
  }
  struct stat st;
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *error = dir + ": not a folder";
    return false;
  }
  return true;
}

struct FolderTime {
  std::string relative;
  std::time_t modified;
};

void SplitLeaf(const std::string& relative, std::string* parent, std::string* leaf) {
  const size_t slash = relative.rfind('/');
  *parent = slash == std::string::npos ? "" : relative.substr(0, slash);
  *leaf = slash == std::string::npos ? relative : relative.substr(slash + 1);
}

}  // namespace

int ExtractCommand(ToolOptions options) {
  std::string error;
  if (!ResolvePassword(&options.password, false, &error)) return Fail(error);
  LoadedArchive archive;
  ArchiveWalk walk;
  if (!OpenForCommand(options.archive, &archive, &walk)) return ExitFailed;
  // A wrong password is found before anything is made: a tree of empty
  // folders would be all it left.
  const char* password = options.password.given ? options.password.password.c_str() : nullptr;
  if (PasswordRefused(&archive, walk, password))
    return Fail(WrongPasswordLine(options.archive, walk, "extracted"));
  const std::string& dir = options.dir;
  if (!MakeDestination(dir, &error)) return Fail(error);
  CatchInterrupts();
  const int base = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (base < 0) return Fail(dir + ": " + std::strerror(errno));

  uint64_t totalBytes = 0, totalFiles = 0;
  CountFiles(walk, &totalBytes, &totalFiles);
  ProgressLine progress(!options.quiet, "extracting", totalBytes, totalFiles);
  EntryFetcher fetcher{&archive, &walk, password};
  FailureLog log;
  std::vector<FolderTime> folderTimes;
  uint64_t written = 0, kept = 0;
  bool cutShort = false;
  for (size_t i = 0; i < walk.entries.size(); i++) {
    const WalkedEntry& e = walk.entries[i];
    const std::string name = DisplayName(e.name);
    std::string relative, reason;
    progress.Clear();
    if (!EntryRelativePath(name, &relative, &reason)) {
      log.Entry(name + ": refused, " + reason);
      continue;
    }
    OutputFailure failure;
    if (IsDirectoryEntry(e)) {
      const int fd = OpenFolderBelow(base, dir, relative, true, &failure);
      if (fd < 0) {
        Record(&log, dir, name, failure);
        continue;
      }
      close(fd);
      folderTimes.push_back({relative, DosTimeToUnix(e.modifiedTime)});
      continue;
    }
    std::string parent, leaf, inTheWay;
    SplitLeaf(relative, &parent, &leaf);
    const int folder = OpenFolderBelow(base, dir, parent, true, &failure);
    if (folder < 0) {
      Record(&log, dir, name, failure);
      progress.Advance(e.unpackedSize, 1);
      continue;
    }
    const std::string folderPath = parent.empty() ? dir : dir + "/" + parent;
    const Presence presence = LookAt(folder, leaf, &inTheWay);
    // What the headers alone tell comes first: the second entry of a name
    // would otherwise only meet the file the first one wrote.
    const FetchOutcome blocked = BlockedOutcome(&fetcher, i);
    bool go = true;
    if (blocked.failed()) {
      log.Entry(name + ": " + DescribeOutcome(fetcher, i, blocked));
      go = false;
    } else if (presence == Presence::InTheWay) {
      log.Entry(name + ": " + folderPath + "/" + leaf + ": " + inTheWay);
      go = false;
    } else if (presence == Presence::RegularFile && options.keep) {
      kept++;
      go = false;
    } else if (presence == Presence::RegularFile && !options.overwrite) {
      log.Entry(name + ": " + folderPath + "/" + leaf + ": exists (-o overwrites, -k keeps)");
      go = false;
    }
    uint64_t seen = 0;
    NewFile file;
    if (go && !file.Begin(folder, folderPath, leaf, &failure)) {
      Record(&log, dir, name, failure);
      go = false;
    }
    if (go) {
      // The entry goes to its file piece by piece as it is decoded.
      FetchOutcome outcome;
      const bool fetched = FetchEntry(
          &fetcher, i,
          [&](const uint8_t* bytes, uint32_t count) {
            file.Append(bytes, count);
            seen += count;
            progress.Advance(count, 0);
          },
          &outcome);
      if (!fetched) {
        file.Abandon();
        progress.Clear();
        if (outcome.problem == EntryProblem::ArchiveCutShort) {
          close(folder);
          cutShort = true;
          break;
        }
        const std::string reason = DescribeOutcome(fetcher, i, outcome);
        if (outcome.causeIsEarlier())
          log.Cause(reason);
        else
          log.Entry(name + ": " + reason);
      } else if (!file.Finish(DosTimeToUnix(e.modifiedTime), presence == Presence::RegularFile,
                              &failure)) {
        progress.Clear();
        Record(&log, dir, name, failure);
      } else {
        progress.Clear();
        if (!options.quiet) std::printf("%s\n", PrintableText(relative).c_str());
        written++;
      }
      archive.ReleaseBefore(uint32_t(std::min<uint64_t>(e.dataEnd, archive.image.size)));
    }
    close(folder);
    progress.Advance(e.unpackedSize > seen ? e.unpackedSize - seen : 0, 1);
  }
  progress.Clear();
  // Folders' times last, deepest first, since writing into a folder moves
  // its time.
  std::stable_sort(folderTimes.begin(), folderTimes.end(),
                   [](const FolderTime& a, const FolderTime& b) {
                     return std::count(a.relative.begin(), a.relative.end(), '/') >
                            std::count(b.relative.begin(), b.relative.end(), '/');
                   });
  for (const FolderTime& t : folderTimes) {
    OutputFailure ignored;
    const int fd = OpenFolderBelow(base, dir, t.relative, false, &ignored);
    if (fd < 0) continue;
    SetFolderTime(fd, t.modified);
    close(fd);
  }
  close(base);
  std::printf("%s extracted%s\n", Count(written, "file").c_str(),
              kept > 0 ? (", " + Count(kept, "existing file") + " kept").c_str() : "");
  log.PrintCauses();
  // Every entry after the cut would fail alike: the command stops there.
  if (cutShort) return ReportCutShort(options.archive);
  if (walk.volume && log.count() > 0)
    Fail(options.archive +
         ": a volume of a multi-volume archive; entries split across volumes "
         "are not joined");
  const bool walkFailed = ReportWalkProblem(options.archive, walk);
  return log.count() == 0 && !walkFailed ? ExitOk : ExitFailed;
}
