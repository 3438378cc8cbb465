#include "store_trial.h"

#include "match_finder.h"

namespace packer {

bool LooksIncompressible(const std::vector<uint8_t>& data, const EncodeSettings& settings) {
  if (data.size() < StoreTrialMinimum) return false;
  EncodeSettings trial = settings;
  trial.progress = nullptr;
  std::vector<uint8_t> piece(StoreTrialPiece + MatchPadding, 0);
  const uint64_t last = data.size() - StoreTrialPiece;
  for (int k = 0; k < StoreTrialPieces; k++) {
    // Spread over the file, so that a compressible body behind a random
    // header (or the reverse) is not mistaken.
    const uint64_t at = last * uint64_t(k) / (StoreTrialPieces - 1);
    std::copy(data.begin() + long(at), data.begin() + long(at + StoreTrialPiece), piece.begin());
    const std::vector<std::vector<uint8_t>> packed =
        EncodeStream(piece.data(), StoreTrialPiece, {{0, StoreTrialPiece}}, trial);
    if (packed[0].size() < StoreTrialPiece) return false;
  }
  return true;
}

}  // namespace packer
