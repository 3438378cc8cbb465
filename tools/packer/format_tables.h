// The symbol alphabet of RAR 2.0 compressed data as the encoder sees it: the
// base and extra-bit tables that the decoder adds to each slot, and the slot
// that codes a given length or distance.
#pragma once

#include <cstdint>

#include "unpack/rar20_decoder.h"

namespace packer {

// The alphabet sizes and slot tables are the decoder's own: the encoder
// codes exactly what the decoder adds back.
using ::AudioSymbols;
using ::DistanceSymbols;
using ::LevelSymbols;
using ::LiteralSymbols;
using ::LzLengthCount;
using ::MaxLengthCount;
using ::RepLengthSymbols;
constexpr int MaxCodeLength = 15;

constexpr int SymbolRepeatLast = 256;   // previous match again
constexpr int SymbolRecentFirst = 257;  // 257..260: distance from the recent ring
constexpr int SymbolShortFirst = 261;   // 261..268: length 2, distance 1..256
constexpr int SymbolNewTables = 269;    // block header follows
constexpr int SymbolMatchFirst = 270;   // 270..297: new match, length slot
constexpr int AudioSymbolNewTables = 256;

constexpr uint32_t WindowSize = 1u << 20;
// Matches reach back at most this far; keeping one slot free lets the match
// finders index their tables by position modulo the window.
constexpr uint32_t MaxDistance = WindowSize - 1;

inline const auto& LengthBase = ::lengthBase;
inline const auto& LengthBits = ::lengthBits;
inline const auto& DistanceBase = ::distanceBase;
inline const auto& DistanceBits = ::distanceBits;
inline const auto& ShortBase = ::shortBase;
inline const auto& ShortBits = ::shortBits;

// Extra length the decoder adds to a new match at this distance.
inline uint32_t NewMatchBonus(uint32_t distance) {
  return (distance >= 0x2000) + (distance >= 0x40000);
}

// Extra length the decoder adds to a match at a recent distance.
inline uint32_t RecentMatchBonus(uint32_t distance) {
  return (distance >= 0x101) + (distance >= 0x2000) + (distance >= 0x40000);
}

inline uint32_t MinNewMatchLength(uint32_t distance) {
  return 3 + NewMatchBonus(distance);
}
inline uint32_t MaxNewMatchLength(uint32_t distance) {
  return 258 + NewMatchBonus(distance);
}
inline uint32_t MinRecentMatchLength(uint32_t distance) {
  return 2 + RecentMatchBonus(distance);
}
inline uint32_t MaxRecentMatchLength(uint32_t distance) {
  return 257 + RecentMatchBonus(distance);
}

// Slot of a length value 0..255 (the length less its base and bonus).
int LengthSlot(uint32_t value);
// Slot of distance - 1, 0..2^20-1.
int DistanceSlot(uint32_t value);
// Slot of a short-match distance - 1, 0..255.
int ShortSlot(uint32_t value);

}  // namespace packer
