#include "item_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "input_tree.h"

namespace packer {

namespace {

bool AsListed(const PackItem& item, const struct stat& st) {
  return uint64_t(st.st_size) == item.size &&
         int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec == item.modifiedNs;
}

}  // namespace

std::string ChangedReason(const PackItem& item) {
  return InputProblem(item.path.empty() ? item.name : item.path, "changed while being packed");
}

bool ItemReader::Open(const PackItem& item, std::string* error) {
  if (open_ == &item) return true;
  Close();
  // Non-blocking: a pipe put in the file's place since it was listed must
  // not hang the open; it is then refused below as a changed file.
  fd_ = open(item.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) {
    *error = InputProblem(item.path, std::strerror(errno));
    return false;
  }
  struct stat st;
  if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || !AsListed(item, st)) {
    *error = ChangedReason(item);
    Close();
    return false;
  }
  open_ = &item;
  return true;
}

bool ItemReader::Read(const PackItem& item, uint64_t at, uint8_t* out, uint32_t n,
                      std::string* error) {
  if (n == 0) return true;
  if (item.path.empty()) {
    std::memcpy(out, item.data.data() + at, n);
    return true;
  }
  if (!Open(item, error)) return false;
  uint32_t done = 0;
  while (done < n) {
    const ssize_t r = pread(fd_, out + done, n - done, off_t(at + done));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      *error = InputProblem(item.path, std::strerror(errno));
      return false;
    }
    if (r == 0) {  // shorter than listed
      *error = ChangedReason(item);
      return false;
    }
    done += uint32_t(r);
  }
  return true;
}

bool ItemReader::CheckUnchanged(const PackItem& item, std::string* error) {
  if (item.path.empty()) return true;
  if (!Open(item, error)) return false;
  struct stat st;
  // Nothing may follow the listed size either: some files (under /proc)
  // are listed empty and then read with contents.
  uint8_t past;
  ssize_t more;
  do more = pread(fd_, &past, 1, off_t(item.size));
  while (more < 0 && errno == EINTR);
  if (fstat(fd_, &st) != 0 || !AsListed(item, st) || more != 0) {
    *error = ChangedReason(item);
    return false;
  }
  return true;
}

void ItemReader::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  open_ = nullptr;
}

}  // namespace packer
