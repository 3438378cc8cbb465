// What pack's progress line shows, from what the compressor tells: its
// bytes done of a total that grows when a solid stream is compressed again.
// The line keeps the input's own total, never goes back, and counts the
// files whose bytes are all done.
#pragma once

#include <cstdint>
#include <vector>

class PackProgress {
 public:
  // The sizes of the files, in the order they are packed.
  explicit PackProgress(const std::vector<uint64_t>& fileSizes);
  uint64_t totalBytes() const { return ends_.empty() ? 0 : ends_.back(); }
  uint64_t totalFiles() const { return ends_.size(); }
  // Takes the compressor's figures; bytes() and files() then say what to show.
  void Tell(uint64_t done, uint64_t total);
  uint64_t bytes() const { return bytes_; }
  uint64_t files() const { return files_; }

 private:
  std::vector<uint64_t> ends_;  // running totals of the sizes
  uint64_t bytes_ = 0, files_ = 0;
};
