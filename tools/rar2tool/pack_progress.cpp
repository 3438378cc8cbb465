#include "pack_progress.h"

#include <algorithm>

PackProgress::PackProgress(const std::vector<uint64_t>& fileSizes) {
  uint64_t sum = 0;
  for (uint64_t size : fileSizes) ends_.push_back(sum += size);
}

void PackProgress::Tell(uint64_t done, uint64_t total) {
  if (total == 0) return;
  const uint64_t all = totalBytes();
  // The share of the work done, in the input's bytes; a total in the
  // hundreds of gigabytes would overflow the product, hence the double.
  const uint64_t shown = uint64_t(double(std::min(done, total)) / double(total) * double(all));
  bytes_ = std::max(bytes_, std::min(shown, all));
  files_ = uint64_t(std::upper_bound(ends_.begin(), ends_.end(), bytes_) - ends_.begin());
}
