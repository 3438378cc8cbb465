// The symbol alphabet of RAR 2.0 compressed data as the encoder sees it: the
// base and extra-bit tables that the decoder adds to each slot, and the slot
// that codes a given length or distance.
#pragma once

#include <cstdint>

#include "unpack/compressed_format.h"

namespace packer {

// The format is the decoder's own (unpack/compressed_format.h): the encoder
// codes exactly what the decoder adds back. Matches reach back at most this
// far; keeping one slot free lets the match finders index their tables by
// position modulo the window.
constexpr uint32_t MaxDistance = WindowSize - 1;

// The slot tables in the packer's spelling.
inline const auto& LengthBase = ::lengthBase;
inline const auto& LengthBits = ::lengthBits;
inline const auto& DistanceBase = ::distanceBase;
inline const auto& DistanceBits = ::distanceBits;
inline const auto& ShortBase = ::shortBase;
inline const auto& ShortBits = ::shortBits;

// The lengths a match at this distance can have, bonuses included.
constexpr uint32_t MinNewMatchLength(uint32_t distance) {
  return NewMatchMinLength + NewMatchBonus(distance);
}
constexpr uint32_t MaxNewMatchLength(uint32_t distance) {
  return NewMatchMinLength + MaxLengthValue + NewMatchBonus(distance);
}
constexpr uint32_t MinRecentMatchLength(uint32_t distance) {
  return RecentMatchMinLength + RecentMatchBonus(distance);
}
constexpr uint32_t MaxRecentMatchLength(uint32_t distance) {
  return RecentMatchMinLength + MaxLengthValue + RecentMatchBonus(distance);
}

// Slot of a length value 0..255 (the length less its base and bonus).
int LengthSlot(uint32_t value);
// Slot of distance - 1, 0..2^20-1.
int DistanceSlot(uint32_t value);
// Slot of a short-match distance - 1, 0..255.
int ShortSlot(uint32_t value);

}  // namespace packer
