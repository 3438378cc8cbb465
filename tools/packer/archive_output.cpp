#include "archive_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace packer {

bool VectorOutput::Append(const uint8_t* bytes, size_t n) {
  bytes_->insert(bytes_->end(), bytes, bytes + n);
  return true;
}

bool VectorOutput::Patch(uint64_t at, const uint8_t* bytes, size_t n) {
  std::memcpy(bytes_->data() + at, bytes, n);
  return true;
}

bool VectorOutput::CutTo(uint64_t size) {
  bytes_->resize(size_t(size));
  return true;
}

bool FileOutput::WriteAt(uint64_t at, const uint8_t* bytes, size_t n) {
  size_t done = 0;
  while (done < n) {
    const ssize_t w = pwrite(fd_, bytes + done, n - done, off_t(at + done));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      error = name_ + ": " + std::strerror(w < 0 ? errno : ENOSPC);
      return false;
    }
    done += size_t(w);
  }
  return true;
}

bool FileOutput::Append(const uint8_t* bytes, size_t n) {
  if (!WriteAt(size_, bytes, n)) return false;
  size_ += n;
  return true;
}

bool FileOutput::Patch(uint64_t at, const uint8_t* bytes, size_t n) {
  return WriteAt(at, bytes, n);
}

bool FileOutput::CutTo(uint64_t size) {
  if (ftruncate(fd_, off_t(size)) != 0) {
    error = name_ + ": " + std::strerror(errno);
    return false;
  }
  size_ = size;
  return true;
}

}  // namespace packer
