// Writes RAR 2.0 packed streams for the decoder tests: bits most significant
// first, canonical codes from code lengths, and block headers.
#pragma once

#include <cstdint>
#include <vector>

class BitWriter {
 public:
  void Bits(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; i--) {
      if (bitCount_ % 8 == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() |= uint8_t(0x80 >> (bitCount_ % 8));
      bitCount_++;
    }
  }
  // The packed bytes, with room after the end for the decoder's look-ahead.
  std::vector<uint8_t> Bytes(size_t padding = 4) const {
    std::vector<uint8_t> b = bytes_;
    b.insert(b.end(), padding, 0);
    return b;
  }
  size_t BitCount() const { return bitCount_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t bitCount_ = 0;
};

// Canonical codes as the decoder assigns them: by length, then by symbol.
struct CanonicalCode {
  std::vector<uint8_t> lengths;
  std::vector<uint32_t> codes;
  explicit CanonicalCode(const std::vector<uint8_t>& l) : lengths(l), codes(l.size()) {
    uint32_t count[16] = {}, next[16] = {};
    for (uint8_t len : l) count[len]++;
    count[0] = 0;
    uint32_t code = 0;
    for (int len = 1; len < 16; len++) {
      code = (code + count[len - 1]) << 1;
      next[len] = code;
    }
    for (size_t s = 0; s < l.size(); s++)
      if (l[s]) codes[s] = next[l[s]]++;
  }
  void Put(BitWriter& w, uint32_t symbol) const { w.Bits(codes[symbol], lengths[symbol]); }
};

// Every symbol of an LZ block has a code: literals and controls 9 bits,
// distances 6, recent-distance lengths 5.
inline std::vector<uint8_t> FlatLzLengths() {
  std::vector<uint8_t> l(374);
  for (int i = 0; i < 298; i++) l[i] = 9;
  for (int i = 298; i < 346; i++) l[i] = 6;
  for (int i = 346; i < 374; i++) l[i] = 5;
  return l;
}

struct LzCodes {
  CanonicalCode literal, distance, repLength;
  explicit LzCodes(const std::vector<uint8_t>& l)
      : literal(std::vector<uint8_t>(l.begin(), l.begin() + 298)),
        distance(std::vector<uint8_t>(l.begin() + 298, l.begin() + 346)),
        repLength(std::vector<uint8_t>(l.begin() + 346, l.end())) {}
};

// A block header whose level code gives every level symbol 5 bits and that
// sends each length as a plain level symbol (no runs), so that a test
// controls every bit. With delta set, codes are (length - previous) mod 16.
inline void PutBlockHeader(BitWriter& w, const std::vector<uint8_t>& lengths, bool audio,
                           int channels = 1, bool delta = false,
                           const std::vector<uint8_t>& previous = {}) {
  w.Bits(audio ? 1 : 0, 1);
  w.Bits(delta ? 1 : 0, 1);
  if (audio) w.Bits(uint32_t(channels - 1), 2);
  for (int i = 0; i < 19; i++) w.Bits(5, 4);
  CanonicalCode level(std::vector<uint8_t>(19, 5));
  for (size_t i = 0; i < lengths.size(); i++) {
    const uint8_t prev = delta && i < previous.size() ? previous[i] : 0;
    level.Put(w, uint8_t((lengths[i] - prev) & 15));
  }
}
