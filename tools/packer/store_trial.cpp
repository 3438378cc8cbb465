#include "store_trial.h"

#include <cstring>

#include "match_finder.h"

namespace packer {

bool LooksIncompressible(uint64_t size, const ReadPiece& read, const EncodeSettings& settings,
                         bool* readFailed) {
  *readFailed = false;
  if (size < StoreTrialMinimum) return false;
  EncodeSettings trial = settings;
  trial.progress = nullptr;
  std::vector<uint8_t> piece(StoreTrialPiece + MatchPadding, 0);
  const uint64_t last = size - StoreTrialPiece;
  for (int k = 0; k < StoreTrialPieces; k++) {
    // Spread over the file, so that a compressible body behind a random
    // header (or the reverse) is not mistaken.
    const uint64_t at = last * uint64_t(k) / (StoreTrialPieces - 1);
    if (!read(at, piece.data(), StoreTrialPiece)) {
      *readFailed = true;
      return false;
    }
    const std::vector<std::vector<uint8_t>> packed =
        EncodeStream(piece.data(), StoreTrialPiece, {{0, StoreTrialPiece}}, trial);
    if (packed[0].size() < StoreTrialPiece) return false;
  }
  return true;
}

bool LooksIncompressible(const std::vector<uint8_t>& data, const EncodeSettings& settings) {
  bool readFailed = false;
  return LooksIncompressible(
      data.size(),
      [&](uint64_t at, uint8_t* out, uint32_t n) {
        std::memcpy(out, data.data() + at, n);
        return true;
      },
      settings, &readFailed);
}

}  // namespace packer
