#include "safe_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>

#include "pending_file.h"

namespace {

std::string Join(const std::string& a, const std::string& b) {
  return a.empty() ? b : b.empty() ? a : a + "/" + b;
}

bool WriteAll(int fd, const uint8_t* data, uint32_t size) {
  uint32_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += uint32_t(n);
  }
  return true;
}

void SetTimes(int fd, std::time_t modified) {
  if (modified < 0) return;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = modified;
  times[1].tv_nsec = 0;
  futimens(fd, times);
}

}  // namespace

int OpenFolderBelow(int baseFd, const std::string& basePath, const std::string& relative,
                    bool create, OutputFailure* failure) {
  int fd = dup(baseFd);
  std::string path = basePath;
  size_t start = 0;
  while (fd >= 0 && start < relative.size()) {
    size_t slash = relative.find('/', start);
    if (slash == std::string::npos) slash = relative.size();
    const std::string component = relative.substr(start, slash - start);
    start = slash + 1;
    path = Join(path, component);
    if (create && mkdirat(fd, component.c_str(), 0777) != 0 && errno != EEXIST) {
      failure->entryOnly = false;
      failure->error = errno;
      failure->where = path;
      failure->what = std::string("cannot make the folder: ") + std::strerror(errno);
      close(fd);
      return -1;
    }
    const int next = openat(fd, component.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) {
      const int openErrno = errno;
      failure->where = path;
      failure->error = openErrno;
      if (openErrno == ELOOP || openErrno == ENOTDIR) {
        std::string what;
        const Presence presence = LookAt(fd, component, &what);
        failure->entryOnly = true;
        failure->what = presence == Presence::RegularFile ? "a file is in the way" : what;
      } else {
        failure->entryOnly = false;
        failure->what = std::string("cannot open the folder: ") + std::strerror(openErrno);
      }
      close(fd);
      return -1;
    }
    close(fd);
    fd = next;
  }
  if (fd < 0) {
    failure->where = basePath;
    failure->error = errno;
    failure->what = std::strerror(errno);
  }
  return fd;
}

Presence LookAt(int folderFd, const std::string& name, std::string* what) {
  struct stat st;
  if (fstatat(folderFd < 0 ? AT_FDCWD : folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return Presence::Absent;
  if (S_ISREG(st.st_mode)) return Presence::RegularFile;
  *what = S_ISLNK(st.st_mode)   ? "a symbolic link is in the way; refused"
          : S_ISDIR(st.st_mode) ? "a folder is in the way"
                                : "something that is not a file is in the way";
  return Presence::InTheWay;
}

namespace {

// Creates a new temporary file in folderFd and records it for the signal
// handlers; signals wait meanwhile, so that no file exists unrecorded.
int CreateTemporary(int folderFd, std::string* temp) {
  // Seeded once: a device read for each of thousands of files is slow.
  static std::mt19937_64 random{std::random_device{}() ^ uint64_t(getpid()) << 32};
  sigset_t interrupts, old;
  sigemptyset(&interrupts);
  sigaddset(&interrupts, SIGINT);
  sigaddset(&interrupts, SIGTERM);
  sigaddset(&interrupts, SIGHUP);
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; attempt++) {
    *temp = ".rar2tool-" + std::to_string(random()) + ".tmp";
    sigprocmask(SIG_BLOCK, &interrupts, &old);
    fd =
        openat(folderFd, temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 && !NotePendingFile(folderFd, temp->c_str())) {
      unlinkat(folderFd, temp->c_str(), 0);
      close(fd);
      fd = -1;
      errno = ENAMETOOLONG;
    }
    sigprocmask(SIG_SETMASK, &old, nullptr);
    if (fd < 0 && errno != EEXIST) break;
  }
  return fd;
}

// Gives the complete file its name: over an existing one with `replace`,
// otherwise only where nothing stands (EEXIST when something does).
bool MoveIntoPlace(int folderFd, const std::string& temp, const std::string& name, bool replace) {
  if (replace) return renameat(folderFd, temp.c_str(), folderFd, name.c_str()) == 0;
  if (renameat2(folderFd, temp.c_str(), folderFd, name.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the no-replace rename: a hard link fails on an
  // existing name just as well.
  if (linkat(folderFd, temp.c_str(), folderFd, name.c_str(), 0) != 0) return false;
  unlinkat(folderFd, temp.c_str(), 0);
  return true;
}

}  // namespace

bool NewFile::Begin(int folderFd, const std::string& folderPath, const std::string& name,
                    OutputFailure* failure) {
  folderFd_ = folderFd;
  name_ = name;
  path_ = Join(folderPath, name);
  writeErrno_ = 0;
  // Every file is written under a temporary name beside its own and renamed
  // when complete: a failed or interrupted entry never leaves a partial
  // file under its real name, where a later run with -k would keep it.
  fd_ = CreateTemporary(folderFd, &temp_);
  if (fd_ < 0) {
    failure->entryOnly = false;
    failure->error = errno;
    failure->where = folderPath;
    failure->what = std::string("cannot create files: ") + std::strerror(errno);
    return false;
  }
  return true;
}

void NewFile::Append(const uint8_t* data, uint32_t size) {
  // After the first failure the rest has nowhere to go; Finish reports it.
  if (fd_ < 0 || writeErrno_ != 0) return;
  if (!WriteAll(fd_, data, size)) writeErrno_ = errno;
}

bool NewFile::Finish(std::time_t modified, bool replace, OutputFailure* failure) {
  bool ok = writeErrno_ == 0;
  int savedErrno = writeErrno_;
  if (ok) SetTimes(fd_, modified);
  if (close(fd_) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  fd_ = -1;
  if (!ok) {
    unlinkat(folderFd_, temp_.c_str(), 0);
    ClearPendingFile();
    failure->entryOnly = true;
    failure->error = savedErrno;
    failure->where = path_;
    failure->what = std::string("cannot write: ") + std::strerror(savedErrno);
    return false;
  }
  if (!MoveIntoPlace(folderFd_, temp_, name_, replace)) {
    savedErrno = errno;
    unlinkat(folderFd_, temp_.c_str(), 0);
    ClearPendingFile();
    failure->entryOnly = true;
    failure->error = savedErrno;
    failure->where = path_;
    failure->what = savedErrno == EEXIST
                        ? "exists (-o overwrites, -k keeps)"
                        : std::string("cannot rename into place: ") + std::strerror(savedErrno);
    return false;
  }
  ClearPendingFile();
  return true;
}

void NewFile::Abandon() {
  if (fd_ < 0) return;
  close(fd_);
  fd_ = -1;
  unlinkat(folderFd_, temp_.c_str(), 0);
  ClearPendingFile();
}

bool StopsWholeDestination(const OutputFailure& failure) {
  return failure.error == ENOSPC || failure.error == EDQUOT || failure.error == EROFS;
}

void SetFolderTime(int folderFd, std::time_t modified) {
  SetTimes(folderFd, modified);
}

std::time_t DosTimeToUnix(uint32_t t) {
  if (t == 0) return -1;
  struct tm parts {};
  parts.tm_year = int(t >> 25) + 80;
  parts.tm_mon = int((t >> 21) & 15) - 1;
  parts.tm_mday = int((t >> 16) & 31);
  parts.tm_hour = int((t >> 11) & 31);
  parts.tm_min = int((t >> 5) & 63);
  parts.tm_sec = int(t & 31) * 2;
  parts.tm_isdst = -1;
  if (parts.tm_mon < 0 || parts.tm_mon > 11 || parts.tm_mday < 1 || parts.tm_hour > 23 ||
      parts.tm_min > 59 || parts.tm_sec > 59)
    return -1;
  return std::mktime(&parts);
}
