// How one LZ step is spelled in symbols. A step is a literal or a match
// (length, distance); which symbol codes a match depends on the decoder's
// recent-distance ring and its last match, which the encoder mirrors here.
#pragma once

#include <cstdint>

#include "format_tables.h"

namespace packer {

// One step of an LZ block or one byte of an audio block.
struct Op {
  uint32_t length;    // match length; for a literal the byte; for audio the symbol
  uint32_t distance;  // 0 for a literal; AudioOp for an audio byte
};

constexpr uint32_t AudioOp = 0xFFFFFFFFu;

// The decoder's match history: the ring of recent distances (newest first)
// and the last match, which symbol 256 repeats.
struct LzState {
  uint32_t recent[4] = {0, 0, 0, 0};
  uint32_t prevLength = 0;
  uint32_t prevDistance = 0;
};

// Every match symbol pushes its distance and becomes the last match.
inline void PushMatch(LzState* s, uint32_t length, uint32_t distance) {
  s->recent[3] = s->recent[2];
  s->recent[2] = s->recent[1];
  s->recent[1] = s->recent[0];
  s->recent[0] = distance;
  s->prevLength = length;
  s->prevDistance = distance;
}

// A step spelled out: its literal-table symbol, and for matches the symbol
// of the second table (distance or recent length) with the extra bits.
struct Spelling {
  uint16_t main;
  int16_t second;       // -1: none
  uint8_t secondTable;  // 1 = distance table, 2 = recent-length table
  uint8_t extraBits1;   // after the main symbol
  uint8_t extraBits2;   // after the second symbol
  uint32_t extra1, extra2;
};

// Spells a match of a valid length at distance under state s (without
// changing s): symbol 256 when it repeats the last match, a recent distance
// when the ring holds it, a short match for length 2, else a new match.
inline Spelling SpellMatch(const LzState& s, uint32_t length, uint32_t distance) {
  Spelling sp{};
  sp.second = -1;
  if (length == s.prevLength && distance == s.prevDistance) {
    sp.main = SymbolRepeatLast;
    return sp;
  }
  if (length >= MinRecentMatchLength(distance) && length <= MaxRecentMatchLength(distance)) {
    for (int r = 0; r < 4; r++) {
      if (s.recent[r] != distance) continue;
      const uint32_t value = length - RecentMatchMinLength - RecentMatchBonus(distance);
      const int slot = LengthSlot(value);
      sp.main = uint16_t(SymbolRecentFirst + r);
      sp.second = int16_t(slot);
      sp.secondTable = 2;
      sp.extraBits2 = LengthBits[slot];
      sp.extra2 = value - LengthBase[slot];
      return sp;
    }
  }
  if (length == ShortMatchLength) {
    const int slot = ShortSlot(distance - 1);
    sp.main = uint16_t(SymbolShortFirst + slot);
    sp.extraBits1 = ShortBits[slot];
    sp.extra1 = distance - 1 - ShortBase[slot];
    return sp;
  }
  const uint32_t value = length - NewMatchMinLength - NewMatchBonus(distance);
  const int lengthSlot = LengthSlot(value);
  sp.main = uint16_t(SymbolMatchFirst + lengthSlot);
  sp.extraBits1 = LengthBits[lengthSlot];
  sp.extra1 = value - LengthBase[lengthSlot];
  const int distanceSlot = DistanceSlot(distance - 1);
  sp.second = int16_t(distanceSlot);
  sp.secondTable = 1;
  sp.extraBits2 = DistanceBits[distanceSlot];
  sp.extra2 = distance - 1 - DistanceBase[distanceSlot];
  return sp;
}

// A match length and distance that some spelling codes in every state.
inline bool MatchCodable(uint32_t length, uint32_t distance) {
  if (distance == 0 || distance > MaxDistance) return false;
  if (length == ShortMatchLength) return distance <= MaxShortDistance;
  return length >= MinNewMatchLength(distance) && length <= MaxNewMatchLength(distance);
}

// Prices of the symbols in 1/16 bit, for parsing.
struct CostModel {
  uint32_t main[LiteralSymbols];
  uint32_t distance[DistanceSymbols];
  uint32_t recentLength[RepLengthSymbols];
};

inline uint32_t SpellingCost(const CostModel& m, const Spelling& sp) {
  uint32_t c = m.main[sp.main] + 16u * (sp.extraBits1 + sp.extraBits2);
  if (sp.secondTable == 1) c += m.distance[sp.second];
  if (sp.secondTable == 2) c += m.recentLength[sp.second];
  return c;
}

// Symbol counts of LZ steps, for tables and prices.
struct LzFrequencies {
  uint32_t main[LiteralSymbols] = {};
  uint32_t distance[DistanceSymbols] = {};
  uint32_t recentLength[RepLengthSymbols] = {};
  uint64_t extraBits = 0;
};

inline void CountSpelling(LzFrequencies* f, const Spelling& sp) {
  f->main[sp.main]++;
  if (sp.secondTable == 1) f->distance[sp.second]++;
  if (sp.secondTable == 2) f->recentLength[sp.second]++;
  f->extraBits += sp.extraBits1 + sp.extraBits2;
}

// Prices from counts: -log2 of smoothed probabilities.
void CostsFromFrequencies(const LzFrequencies& f, CostModel* m);
// Prices before anything is known about the data.
void DefaultCosts(CostModel* m);

}  // namespace packer
