// Builds LZ blocks symbol by symbol for the decoder tests.
#pragma once

#include <string>

#include "bit_writer.h"
#include "unpack/rar20_decoder.h"

struct Slot {
  uint32_t index, extra, bits;
};

template <size_t N, typename Base>
Slot FindSlot(const Base (&base)[N], const uint8_t (&bits)[N], uint32_t value) {
  for (size_t i = N; i-- > 0;)
    if (value >= base[i]) return {uint32_t(i), value - base[i], bits[i]};
  return {0, 0, 0};
}

struct LzStream {
  BitWriter w;
  std::vector<uint8_t> lengths = FlatLzLengths();
  LzCodes codes{lengths};

  explicit LzStream(bool header = true) {
    if (header) PutBlockHeader(w, lengths, false);
  }
  void Literal(uint8_t c) { codes.literal.Put(w, c); }
  void Literals(const std::string& s) {
    for (char c : s) Literal(uint8_t(c));
  }
  // A new match; the length is the one copied, bonuses included.
  void Match(uint32_t length, uint32_t distance) {
    const uint32_t bonus = (distance >= 0x2000) + (distance >= 0x40000);
    const Slot l = FindSlot(lengthBase, lengthBits, length - bonus - 3);
    codes.literal.Put(w, 270 + l.index);
    if (l.bits) w.Bits(l.extra, int(l.bits));
    const Slot d = FindSlot(distanceBase, distanceBits, distance - 1);
    codes.distance.Put(w, d.index);
    if (d.bits) w.Bits(d.extra, int(d.bits));
  }
  // Symbol 256 + which (1 = newest recent distance); length as copied.
  void Recent(uint32_t which, uint32_t length, uint32_t distance) {
    const uint32_t bonus = (distance >= 0x101) + (distance >= 0x2000) + (distance >= 0x40000);
    codes.literal.Put(w, 256 + which);
    const Slot l = FindSlot(lengthBase, lengthBits, length - bonus - 2);
    codes.repLength.Put(w, l.index);
    if (l.bits) w.Bits(l.extra, int(l.bits));
  }
  void Short(uint32_t distance) {
    const Slot s = FindSlot(shortBase, shortBits, distance - 1);
    codes.literal.Put(w, 261 + s.index);
    w.Bits(s.extra, int(s.bits));
  }
  void RepeatLast() { codes.literal.Put(w, 256); }
  // Symbol 269 and a new LZ header with these lengths.
  void NewTables(const std::vector<uint8_t>& newLengths) {
    codes.literal.Put(w, 269);
    PutBlockHeader(w, newLengths, false);
    lengths = newLengths;
    codes = LzCodes(lengths);
  }
  std::vector<uint8_t> Bytes() const { return w.Bytes(0); }
};

inline std::vector<uint8_t> ToVector(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}
