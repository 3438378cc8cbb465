// rar2tool pack: makes a RAR 2.x archive from files and folders, reading
// them in pieces. The archive is written, as it is made, to a temporary file
// beside ARCHIVE and renamed over it only when complete, so a failure never leaves a partial
// archive under its name; and only an archive is ever replaced, never another file.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "archive/block_format.h"
#include "archive_writer.h"
#include "commands.h"
#include "entry_names.h"
#include "input_tree.h"
#include "pack_progress.h"
#include "pending_file.h"
#include "progress_line.h"
#include "setup_layout_checks.h"

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// ARCHIVE may be new, or an archive to replace; anything else is kept.
bool MayReplace(const std::string& archive, std::string* error) {
  struct stat st;
  if (lstat(archive.c_str(), &st) != 0) return true;
  if (S_ISLNK(st.st_mode)) {
    *error = archive + ": is a symbolic link; not replaced";
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    *error = archive + ": is a folder";
    return false;
  }
  const int fd = open(archive.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  uint8_t head[MarkerSize] = {};
  const bool readMarker = fd >= 0 && read(fd, head, MarkerSize) == ssize_t(MarkerSize);
  if (fd >= 0) close(fd);
  if (!S_ISREG(st.st_mode) || !readMarker || !IsArchiveMarker(head)) {
    *error = archive + ": exists and is not a RAR archive; not replaced";
    return false;
  }
  return true;
}

// Holds SIGINT, SIGTERM and SIGHUP back while it lives: they come after.
class InterruptsHeld {
 public:
  InterruptsHeld() {
    sigset_t interrupts;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    sigaddset(&interrupts, SIGHUP);
    sigprocmask(SIG_BLOCK, &interrupts, &old_);
  }
  ~InterruptsHeld() { sigprocmask(SIG_SETMASK, &old_, nullptr); }
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  sigset_t old_;
};

// Packs into a new temporary file in ARCHIVE's folder, written as the
// archive is made, and renames it over ARCHIVE when whole; on any failure
// (or an interrupt) the temporary file is removed.
bool PackAtomically(const std::string& archive, const std::vector<packer::PackItem>& items,
                    const packer::ArchiveSettings& settings, packer::PackSummary* summary,
                    uint64_t* archiveBytes, std::string* error) {
  if (!MayReplace(archive, error)) return false;
  std::string temp = FolderOf(archive) + "/.rar2tool-XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  // An interrupt while it is written removes it; one that comes while it is
  // made waits until it is noted, so that it never stays unnoted.
  CatchInterrupts();
  int fd, made;
  {
    InterruptsHeld held;
    fd = mkstemp(name.data());
    made = errno;
    if (fd >= 0) NotePendingFile(AT_FDCWD, name.data());
  }
  if (fd < 0) {
    *error =
        archive + ": cannot create a file in " + FolderOf(archive) + ": " + std::strerror(made);
    return false;
  }
  temp = name.data();
  const mode_t mask = umask(0);
  umask(mask);
  bool ok = fchmod(fd, 0666 & ~mask) == 0;
  if (!ok) *error = archive + ": " + std::strerror(errno);
  packer::FileOutput output(fd, archive);
  // Out of memory inside the packer still removes the temporary file.
  try {
    ok = ok && packer::BuildArchive(items, settings, &output, error, summary);
  } catch (...) {
    close(fd);
    unlink(temp.c_str());
    ClearPendingFile();
    throw;
  }
  *archiveBytes = output.Size();
  if (ok && fsync(fd) != 0) {
    ok = false;
    *error = archive + ": " + std::strerror(errno);
  }
  if (close(fd) != 0 && ok) {
    ok = false;
    *error = archive + ": " + std::strerror(errno);
  }
  if (ok && rename(temp.c_str(), archive.c_str()) != 0) {
    ok = false;
    *error = archive + ": " + std::strerror(errno);
  }
  if (!ok) unlink(temp.c_str());
  ClearPendingFile();
  return ok;
}

// Packs for standard output ("-"), which cannot go back to patch a header:
// the archive is made in a temporary file that has no name (so nothing is
// left behind whatever happens), then copied out, every write checked.
bool PackToStandardOutput(const std::vector<packer::PackItem>& items,
                          const packer::ArchiveSettings& settings, packer::PackSummary* summary,
                          uint64_t* archiveBytes, std::string* error) {
  const char* folder = std::getenv("TMPDIR");
  std::string temp = std::string(folder && *folder ? folder : "/tmp") + "/.rar2tool-XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  int fd, made;
  {
    InterruptsHeld held;  // no interrupt between its making and its unlinking
    fd = mkstemp(name.data());
    made = errno;
    if (fd >= 0) unlink(name.data());
  }
  if (fd < 0) {
    *error = std::string("cannot create a temporary file in ") + name.data() + ": " +
             std::strerror(made);
    return false;
  }
  struct Closer {
    int fd;
    ~Closer() { close(fd); }
  } closer{fd};
  packer::FileOutput output(fd, "temporary file");
  if (!packer::BuildArchive(items, settings, &output, error, summary)) return false;
  *archiveBytes = output.Size();
  std::vector<uint8_t> piece(1u << 20);
  for (uint64_t at = 0; at < output.Size();) {
    const ssize_t n = pread(fd, piece.data(), piece.size(), off_t(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *error = std::string("temporary file: cannot read: ") + std::strerror(n < 0 ? errno : EIO);
      return false;
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = write(STDOUT_FILENO, piece.data() + done, size_t(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        *error =
            std::string("standard output: cannot write: ") + std::strerror(w < 0 ? errno : EIO);
        return false;
      }
      done += w;
    }
    at += uint64_t(n);
  }
  return true;
}

}  // namespace

int PackCommand(ToolOptions options) {
  std::string error;
  packer::ArchiveSettings& settings = options.pack;
  if (!ResolvePassword(&options.password, true, &error)) return Fail(error);
  settings.password = options.password.given ? options.password.password : "";
  // "-" sends the archive to standard output, and the summary to standard
  // error; an archive is never sent to a terminal.
  const bool toStandardOutput = options.archive == "-";
  if (toStandardOutput && isatty(STDOUT_FILENO) == 1)
    return Fail("standard output is a terminal; not writing an archive there");
  // Refused before any work: an hour of compression is not wasted on it.
  if (!toStandardOutput && !MayReplace(options.archive, &error)) return Fail(error);
  std::vector<packer::PackItem> items;
  bool readWhole = false;
  const bool collected = packer::CollectInputs(
      options.paths, toStandardOutput ? "" : options.archive, &items, &error, &readWhole);
  if (!collected) {
    // Every problem of the tree, one line each.
    size_t start = 0;
    while (start < error.size()) {
      size_t end = error.find('\n', start);
      if (end == std::string::npos) end = error.size();
      Fail(error.substr(start, end - start));
      start = end + 1;
    }
  }
  // One time for every entry, converted as a file's own time is, so that
  // trees that differ only in their times pack to the same bytes.
  if (options.entryTime >= 0)
    for (packer::PackItem& item : items) item.modifiedTime = packer::DosTime(options.entryTime);
  // What the installation would fail on, told with the tree's problems.
  const bool layoutFailed =
      settings.setupLayout &&
      ReportSetupLayoutProblems(options.archive, items, readWhole, options.allowNonAsciiNames);
  if (!collected || layoutFailed) return ExitFailed;
  std::vector<uint64_t> sizes;
  for (const packer::PackItem& item : items)
    if (!item.directory) sizes.push_back(packer::ItemSize(item));
  PackProgress shown(sizes);
  ProgressLine progress(!options.quiet, "packing", shown.totalBytes(), shown.totalFiles());
  settings.progress = [&](uint64_t done, uint64_t total) {
    shown.Tell(done, total);
    progress.SetDone(shown.bytes(), shown.files());
  };
  packer::PackSummary summary;
  uint64_t archiveBytes = 0;
  const bool built =
      toStandardOutput
          ? PackToStandardOutput(items, settings, &summary, &archiveBytes, &error)
          : PackAtomically(options.archive, items, settings, &summary, &archiveBytes, &error);
  progress.Clear();
  if (!built) return Fail(error);
  std::string stored;
  if (summary.storedFiles > 0)
    stored = " (" + Count(summary.storedFiles, "file") + " stored: compression would not shrink " +
             (summary.storedFiles == 1 ? "it" : "them") + ")";
  std::fprintf(toStandardOutput ? stderr : stdout, "%s, %s, %s packed into %s%s, archive %s\n",
               Count(summary.files, "file").c_str(), Count(summary.folders, "folder").c_str(),
               Count(summary.unpackedBytes, "byte").c_str(),
               Count(summary.packedBytes, "byte").c_str(), stored.c_str(),
               Count(archiveBytes, "byte").c_str());
  return ExitOk;
}
