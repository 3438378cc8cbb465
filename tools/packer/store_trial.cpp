#include "store_trial.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "match_finder.h"

namespace packer {

namespace {

// Below this many bits per byte by the bytes' own frequencies, a piece
// shrinks without the compressor having to show it: Huffman coding of its
// literals alone comes within a fraction of a bit of it, and the tables of
// a block cost less than a bit in twenty.
constexpr double SurelyShrinksBelow = 7.5;

double BitsPerByte(const uint8_t* data, uint32_t n) {
  uint32_t counts[256] = {};
  for (uint32_t i = 0; i < n; i++) counts[data[i]]++;
  double bits = 0;
  for (const uint32_t c : counts)
    if (c > 0) bits -= double(c) * std::log2(double(c) / double(n));
  return bits / double(n);
}

}  // namespace

bool LooksIncompressible(uint64_t size, const ReadPiece& read, const EncodeSettings& settings,
                         bool* readFailed, uint64_t minimum) {
  *readFailed = false;
  if (size < minimum || size < StoreTrialPiece) return false;
  EncodeSettings trial = settings;
  trial.progress = nullptr;
  std::vector<uint8_t> piece(StoreTrialPiece + MatchPadding, 0);
  const uint64_t last = size - StoreTrialPiece;
  // A small file is tried in the pieces it holds, none of them twice.
  const int pieces = int(std::min<uint64_t>(StoreTrialPieces, size / StoreTrialPiece));
  for (int k = 0; k < pieces; k++) {
    // Spread over the file, so that a compressible body behind a random
    // header (or the reverse) is not mistaken.
    const uint64_t at = pieces == 1 ? 0 : last * uint64_t(k) / uint64_t(pieces - 1);
    if (!read(at, piece.data(), StoreTrialPiece)) {
      *readFailed = true;
      return false;
    }
    // Most pieces of most files are told by their byte frequencies alone,
    // which take a fraction of the time a compression does.
    if (BitsPerByte(piece.data(), StoreTrialPiece) < SurelyShrinksBelow) return false;
    const std::vector<std::vector<uint8_t>> packed =
        EncodeStream(piece.data(), StoreTrialPiece, {{0, StoreTrialPiece}}, trial);
    if (packed[0].size() < StoreTrialPiece) return false;
  }
  return true;
}

bool LooksIncompressible(const std::vector<uint8_t>& data, const EncodeSettings& settings,
                         uint64_t minimum) {
  bool readFailed = false;
  return LooksIncompressible(
      data.size(),
      [&](uint64_t at, uint8_t* out, uint32_t n) {
        std::memcpy(out, data.data() + at, n);
        return true;
      },
      settings, &readFailed, minimum);
}

}  // namespace packer
