#include "archive_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "archive/block_format.h"
#include "pe_resource.h"

namespace {

constexpr size_t ReleaseStep = 1u << 20;

// An archive starts with its marker, a built Setup.exe with "MZ"; anything
// else is known not to be one without reading further (/dev/zero ends).
bool MayBeArchive(const uint8_t* head, size_t n) {
  if (n >= 2 && head[0] == 'M' && head[1] == 'Z') return true;
  if (n < MarkerSize) return true;  // too short for either: the walk says what is wrong
  return IsArchiveMarker(head);
}

std::string Reason(const std::string& path, int code) {
  return path + ": " + std::strerror(code);
}

// Reads a pipe or device whole, after a look at its first bytes.
bool ReadWhole(int fd, const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
  bytes->clear();
  bool looked = false;
  uint8_t chunk[65536];
  for (;;) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *error = Reason(path, errno);
      return false;
    }
    if (n == 0) return true;
    bytes->insert(bytes->end(), chunk, chunk + n);
    if (!looked && bytes->size() >= 7) {
      looked = true;
      if (!MayBeArchive(bytes->data(), 7)) {
        *error = path + ": not a RAR archive";
        return false;
      }
    }
    // An image's offsets are 32-bit (a 32-bit process never holds that much).
    if (bytes->size() > size_t(UINT32_MAX)) {
      *error = path + ": too large for an archive image";
      return false;
    }
  }
}

// The one mapping a command reads, for the SIGBUS handler.
uint8_t* volatile mappingStart = nullptr;
volatile size_t mappingSize = 0;
volatile size_t mappingPage = 4096;
volatile int mappingFd = -1;  // kept open to look at the file's size again
volatile sig_atomic_t cutShort = 0;

// A read of a mapped page past the end of a file that shrank raises SIGBUS.
// Zero pages are put in place from that page to the mapping's end (all of
// it lies past the new end) and the read is retried; the command then fails
// with its own message instead of a crash, and removes what it was writing.
// A SIGBUS anywhere else keeps its default action.
void ReplaceVanishedPages(int signal, siginfo_t* info, void*) {
  uint8_t* const start = mappingStart;
  const size_t size = mappingSize;
  uint8_t* const at = static_cast<uint8_t*>(info->si_addr);
  if (start != nullptr && at >= start && at < start + size) {
    const uintptr_t page = mappingPage;
    uint8_t* from = reinterpret_cast<uint8_t*>(uintptr_t(at) / page * page);
    // From the file's new end on, so that a copy that runs backwards does
    // not meet one page after another.
    struct stat st;
    if (fstat(mappingFd, &st) == 0 && uint64_t(st.st_size) < size) {
      const size_t kept = (size_t(st.st_size) + page - 1) / page * page;
      if (start + kept < from) from = start + kept;
    }
    if (mmap(from, size_t(start + size - from), PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED,
             -1, 0) != MAP_FAILED) {
      cutShort = 1;
      return;
    }
  }
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

void WatchMapping(uint8_t* start, size_t size) {
  mappingPage = size_t(sysconf(_SC_PAGESIZE));
  mappingSize = size;
  mappingStart = start;
  struct sigaction action {};
  action.sa_sigaction = ReplaceVanishedPages;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, nullptr);
}

}  // namespace

bool ArchiveCutShort() {
  // A large page of the file's cache that holds the new end may still be
  // mapped, and reads past the end in it give zeros instead of SIGBUS: the
  // file's size tells then.
  struct stat st;
  if (cutShort == 0 && mappingFd >= 0 && fstat(mappingFd, &st) == 0 &&
      uint64_t(st.st_size) < mappingSize)
    cutShort = 1;
  return cutShort != 0;
}

LoadedArchive::~LoadedArchive() {
  if (mapped == nullptr) return;
  if (mappingStart == mapped) {
    mappingStart = nullptr;
    if (mappingFd >= 0) close(mappingFd);
    mappingFd = -1;
  }
  munmap(const_cast<uint8_t*>(mapped), mappedSize);
}

void LoadedArchive::ReleaseBefore(uint32_t offset) {
  if (mapped == nullptr || image.data == nullptr) return;
  const size_t page = size_t(sysconf(_SC_PAGESIZE));
  const size_t end = size_t(image.data - mapped) + offset;
  const size_t whole = end / page * page;
  // A megabyte at a time: a call for every piece of an entry would cost
  // more than the pages it frees.
  if (whole <= released_ || whole - released_ < ReleaseStep) return;
  madvise(const_cast<uint8_t*>(mapped) + released_, whole - released_, MADV_DONTNEED);
  released_ = whole;
}

void LoadedArchive::ReleaseAll() {
  if (mapped != nullptr) madvise(const_cast<uint8_t*>(mapped), mappedSize, MADV_DONTNEED);
  released_ = 0;
}

bool LoadArchiveFile(const std::string& path, LoadedArchive* out, std::string* error) {
  const bool standardInput = path == "-";
  const int fd = standardInput ? dup(STDIN_FILENO) : open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = Reason(path, errno);
    return false;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    *error = Reason(path, errno);
    close(fd);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    *error = Reason(path, EISDIR);
    close(fd);
    return false;
  }
  const uint8_t* data = nullptr;
  size_t size = 0;
  if (S_ISREG(st.st_mode)) {
    if (uint64_t(st.st_size) > 0xFFFFFFFFull) {
      *error = path + ": too large for an archive image";
      close(fd);
      return false;
    }
    size = size_t(st.st_size);
    if (size > 0) {
      void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
      if (map == MAP_FAILED) {
        *error = Reason(path, errno);
        close(fd);
        return false;
      }
      out->mapped = static_cast<const uint8_t*>(map);
      out->mappedSize = size;
      WatchMapping(static_cast<uint8_t*>(map), size);
      mappingFd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
      data = out->mapped;
    }
    close(fd);
    if (!MayBeArchive(data, size)) {
      *error = path + ": not a RAR archive";
      return false;
    }
  } else {
    const bool read = ReadWhole(fd, path, &out->bytes, error);
    close(fd);
    if (!read) return false;
    data = out->bytes.empty() ? nullptr : out->bytes.data();
    size = out->bytes.size();
  }
  out->image.data = data;
  out->image.size = uint32_t(size);
  out->image.offset = 0;
  // A built Setup.exe carries its archive as resource RARFILE 105.
  uint32_t at = 0, resourceSize = 0;
  std::string reason;
  switch (FindPeResource(out->image.data, out->image.size, "RARFILE", 105, &at, &resourceSize,
                         &reason)) {
    case PeLookup::NotPe:
      break;
    case PeLookup::Found:
      out->image.data = data + at;
      out->image.size = resourceSize;
      out->embedded = true;
      break;
    case PeLookup::Missing:
    case PeLookup::Damaged:
      *error = path + ": " + reason;
      return false;
  }
  return true;
}
