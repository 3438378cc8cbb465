// rar2tool pack: makes a RAR 2.x archive from files and folders. The archive
// is written to a temporary file beside ARCHIVE and renamed over it only when
// complete, so a failure never leaves a partial archive under its name; and
// only an archive is ever replaced, never another file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

// Writes bytes to a new temporary file in ARCHIVE's folder and renames it
// over ARCHIVE; on any failure removes the temporary file.
bool WriteAtomically(const std::string& archive, const std::vector<uint8_t>& bytes,
                     std::string* error) {
  if (!MayReplace(archive, error)) return false;
  std::string temp = FolderOf(archive) + "/.rar2tool-XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    *error =
        archive + ": cannot create a file in " + FolderOf(archive) + ": " + std::strerror(errno);
    return false;
  }
  temp = name.data();
  // An interrupt while it is written removes it.
  CatchInterrupts();
  NotePendingFile(AT_FDCWD, temp.c_str());
  const mode_t mask = umask(0);
  umask(mask);
  bool ok = fchmod(fd, 0666 & ~mask) == 0;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    done += size_t(n);
  }
  int savedErrno = errno;
  if (ok && fsync(fd) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (close(fd) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && rename(temp.c_str(), archive.c_str()) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok) unlink(temp.c_str());
  ClearPendingFile();
  if (!ok) *error = archive + ": " + std::strerror(savedErrno);
  return ok;
}

// Writes the archive to standard output ("-"), every write checked.
bool WriteToStandardOutput(const std::vector<uint8_t>& bytes, std::string* error) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *error = std::string("standard output: cannot write: ") + std::strerror(n < 0 ? errno : EIO);
      return false;
    }
    done += size_t(n);
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
  // What the installation would fail on, told with the tree's problems.
  const bool layoutFailed =
      settings.setupLayout && ReportSetupLayoutProblems(options.archive, items, readWhole);
  if (!collected || layoutFailed) return ExitFailed;
  std::vector<uint64_t> sizes;
  for (const packer::PackItem& item : items)
    if (!item.directory) sizes.push_back(item.data.size());
  PackProgress shown(sizes);
  ProgressLine progress(!options.quiet, "packing", shown.totalBytes(), shown.totalFiles());
  settings.progress = [&](uint64_t done, uint64_t total) {
    shown.Tell(done, total);
    progress.SetDone(shown.bytes(), shown.files());
  };
  std::vector<uint8_t> bytes;
  packer::PackSummary summary;
  const bool built = packer::BuildArchive(items, settings, &bytes, &error, &summary);
  progress.Clear();
  if (!built) return Fail(error);
  if (toStandardOutput ? !WriteToStandardOutput(bytes, &error)
                       : !WriteAtomically(options.archive, bytes, &error))
    return Fail(error);
  std::string stored;
  if (summary.storedFiles > 0)
    stored = " (" + Count(summary.storedFiles, "file") + " stored: compression would not shrink " +
             (summary.storedFiles == 1 ? "it" : "them") + ")";
  std::fprintf(toStandardOutput ? stderr : stdout, "%s, %s, %s packed into %s%s, archive %s\n",
               Count(summary.files, "file").c_str(), Count(summary.folders, "folder").c_str(),
               Count(summary.unpackedBytes, "byte").c_str(),
               Count(summary.packedBytes, "byte").c_str(), stored.c_str(),
               Count(bytes.size(), "byte").c_str());
  return ExitOk;
}
