// Where an archive is written: appended to as it is made, with headers
// patched once their entry's data is written, and cut back to an earlier
// size when an entry or a solid stream is written again another way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace packer {

class ArchiveOutput {
 public:
  virtual ~ArchiveOutput() = default;
  virtual bool Append(const uint8_t* bytes, size_t n) = 0;
  // Overwrites bytes already written.
  virtual bool Patch(uint64_t at, const uint8_t* bytes, size_t n) = 0;
  // Drops everything from size on.
  virtual bool CutTo(uint64_t size) = 0;
  virtual uint64_t Size() const = 0;
  // One line: why the last operation failed.
  std::string error;
};

// The archive in memory.
class VectorOutput : public ArchiveOutput {
 public:
  explicit VectorOutput(std::vector<uint8_t>* bytes) : bytes_(bytes) { bytes_->clear(); }
  bool Append(const uint8_t* bytes, size_t n) override;
  bool Patch(uint64_t at, const uint8_t* bytes, size_t n) override;
  bool CutTo(uint64_t size) override;
  uint64_t Size() const override { return bytes_->size(); }

 private:
  std::vector<uint8_t>* bytes_;
};

// The archive in an open file, from its start; name is only for messages.
class FileOutput : public ArchiveOutput {
 public:
  FileOutput(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
  bool Append(const uint8_t* bytes, size_t n) override;
  bool Patch(uint64_t at, const uint8_t* bytes, size_t n) override;
  bool CutTo(uint64_t size) override;
  uint64_t Size() const override { return size_; }

 private:
  bool WriteAt(uint64_t at, const uint8_t* bytes, size_t n);
  int fd_;
  std::string name_;
  uint64_t size_ = 0;
};

}  // namespace packer
