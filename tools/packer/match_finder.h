// Finding earlier occurrences of the bytes at a position within the window:
// hash chains for the fast levels, binary trees (every longer match in one
// walk) for the optimal parse. Positions are offsets in the stream buffer,
// which carries at least MatchPadding readable bytes past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "format_tables.h"

namespace packer {

constexpr uint32_t MatchPadding = 16;
constexpr uint32_t MaxMatchLength = LongestMatch;  // a new match far away, with both bonuses
// The hash chains take a farther match over a nearer one only when each
// byte it adds pays for this many of its extra distance bits (below 32
// bytes; longer matches win by length alone).
constexpr int FartherMatchBitsPerByte = 4;

// Length of the common prefix of a and b, at most limit.
inline uint32_t CommonLength(const uint8_t* a, const uint8_t* b, uint32_t limit) {
  uint32_t n = 0;
  while (n + 8 <= limit) {
    uint64_t x, y;
    __builtin_memcpy(&x, a + n, 8);
    __builtin_memcpy(&y, b + n, 8);
    if (x != y) return n + uint32_t(__builtin_ctzll(x ^ y) >> 3);
    n += 8;
  }
  while (n < limit && a[n] == b[n]) n++;
  return n;
}

struct Match {
  uint32_t length;
  uint32_t distance;
};

class HashChains {
 public:
  HashChains(const uint8_t* data, uint32_t size);
  HashChains(const HashChains&) = delete;
  HashChains& operator=(const HashChains&) = delete;
  ~HashChains();  // its tables serve the next finder
  // The stream's bytes now lie at data (read in pieces, they move).
  void SetData(const uint8_t* data) { data_ = data; }
  // Enters pos into the chains.
  void Insert(uint32_t pos);
  // Longest match at pos of at most maxLength bytes that a new match can
  // code, nearest first, following at most depth links of the four-byte
  // chain (a periodic run counts as one); stops early at niceLength, and
  // gives up after patience links in a row that bring no better match (most
  // of a deep walk goes to positions whose best match came early). Three-byte
  // matches, which only short distances can code, come from the most recent
  // position with the same three bytes.
  Match Longest(uint32_t pos, uint32_t maxLength, int depth, uint32_t niceLength,
                int patience = 1 << 30) const;

 private:
  const uint8_t* data_;
  uint32_t size_;
  std::vector<uint32_t> head_;   // four-byte hash: newest position
  std::vector<uint32_t> link_;   // previous position of the same four-byte hash
  std::vector<uint32_t> head3_;  // three-byte hash: newest position
  // Runs of period 1 to 4 (zeros, 24- and 32-bit pixels) fill a chain with
  // positions that all match alike. For each position that continues such a
  // run, the oldest position of the run on its chain, so that a walk can
  // step over the run in one link; Empty for other positions.
  std::vector<uint32_t> runStart_;
};

class BinaryTrees {
 public:
  BinaryTrees(const uint8_t* data, uint32_t size);
  BinaryTrees(const BinaryTrees&) = delete;
  BinaryTrees& operator=(const BinaryTrees&) = delete;
  ~BinaryTrees();  // its tables serve the next finder
  void SetData(const uint8_t* data) { data_ = data; }
  // Enters pos into its tree and stores in out the matches of increasing
  // length met on the way (each the nearest of its length); returns their
  // count, at most MaxMatchesPerPosition.
  int FindAndInsert(uint32_t pos, int depth, uint32_t niceLength, Match* out);

  static constexpr int MaxMatchesPerPosition = 24;

 private:
  const uint8_t* data_;
  uint32_t size_;
  std::vector<uint32_t> head_;
  std::vector<uint32_t> tree_;  // two children per window slot
};

// Nearest earlier position of each two-byte pair, for short matches.
class PairIndex {
 public:
  PairIndex() : last_(65536, UINT32_MAX) {}
  // Distance from pos to the previous occurrence of the pair at pos (0 when
  // none within 256), then records pos.
  uint32_t NearestAndInsert(const uint8_t* data, uint32_t pos) {
    const uint32_t key = uint32_t(data[pos]) << 8 | data[pos + 1];
    const uint32_t before = last_[key];
    last_[key] = pos;
    return before != UINT32_MAX && pos - before <= MaxShortDistance ? pos - before : 0;
  }

 private:
  std::vector<uint32_t> last_;
};

}  // namespace packer
