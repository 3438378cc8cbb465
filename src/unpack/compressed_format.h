// The RAR 2.0 compressed format as the decoder reads it and the packer
// writes it: the window, the alphabets and what their symbols mean, the
// runs of the level code, the slots of lengths and distances with their
// extra bits, and the length bonuses of far matches.
#pragma once

#include <cstdint>

// Every distance reaches back within the window: 1 MiB.
constexpr uint32_t WindowSize = 1u << 20;

constexpr int MaxCodeLength = 15;
constexpr int MaxAudioChannels = 4;

// The alphabets: one code each, its lengths sent in a block header.
constexpr int LiteralSymbols = 298;  // also the largest alphabet
constexpr int DistanceSymbols = 48;
constexpr int RepLengthSymbols = 28;
constexpr int LevelSymbols = 19;
constexpr int AudioSymbols = 257;
constexpr int LzLengthCount = LiteralSymbols + DistanceSymbols + RepLengthSymbols;  // 374
constexpr int MaxLengthCount = MaxAudioChannels * AudioSymbols;                     // 1028

// The literal alphabet of an LZ block: the 256 byte values, then these.
constexpr int SymbolRepeatLast = 256;   // the previous match again
constexpr int SymbolRecentFirst = 257;  // 257..260: distance from the recent ring, newest first
constexpr int SymbolShortFirst = 261;   // 261..268: length 2, distance 1..256
constexpr int SymbolNewTables = 269;    // a block header follows
constexpr int SymbolMatchFirst = 270;   // 270..297: new match, by length slot
// An audio channel's alphabet: the 256 deltas, then a block header.
constexpr int AudioSymbolNewTables = 256;
static_assert(SymbolRepeatLast == 256 && SymbolRecentFirst == SymbolRepeatLast + 1 &&
                  SymbolShortFirst == SymbolRecentFirst + 4 &&
                  SymbolMatchFirst == SymbolNewTables + 1 &&
                  SymbolMatchFirst + RepLengthSymbols == LiteralSymbols,
              "the byte values, the four recent distances, then one match symbol per length slot");
static_assert(AudioSymbolNewTables == 256 && AudioSymbols == AudioSymbolNewTables + 1,
              "the byte values, then the header");
static_assert(LiteralSymbols >= AudioSymbols && LiteralSymbols >= DistanceSymbols &&
                  LiteralSymbols >= RepLengthSymbols && LiteralSymbols >= LevelSymbols,
              "the literal alphabet is the largest");
static_assert(MaxLengthCount >= LzLengthCount, "a header of any kind fits the previous lengths");

// A block header: two flag bits (audio, then delta), in an audio block the
// channel count less one, then the level code's lengths of four bits each.
constexpr uint32_t HeaderFlagBits = 2;
constexpr uint32_t AudioChannelBits = 2;
constexpr uint32_t LevelLengthBits = 4;
static_assert((1 << AudioChannelBits) == MaxAudioChannels, "the channel bits count 1..4");

// The level alphabet: code lengths 0..15, then three runs, each counted by
// its extra bits from a base.
constexpr int LevelRepeat = 16;     // the previous length again, 3..6 times
constexpr int LevelZeros = 17;      // 3..10 zeros
constexpr int LevelLongZeros = 18;  // 11..138 zeros
constexpr uint32_t LevelRepeatBits = 2, LevelRepeatBase = 3;
constexpr uint32_t LevelZerosBits = 3, LevelZerosBase = 3;
constexpr uint32_t LevelLongZerosBits = 7, LevelLongZerosBase = 11;
static_assert(LevelRepeat == MaxCodeLength + 1 && LevelLongZeros + 1 == LevelSymbols,
              "the lengths 0..15, then the three runs");
static_assert((1 << LevelLengthBits) - 1 == MaxCodeLength, "the level code's own lengths");
static_assert(LevelZerosBase + (1u << LevelZerosBits) == LevelLongZerosBase,
              "the long zero runs go on where the short ones end");

// Slots of lengths (by length less its least value), distances and short
// distances (by distance less 1): a base and the extra bits that follow.
inline constexpr uint8_t lengthBase[RepLengthSymbols] = {0,  1,  2,  3,   4,   5,   6,   7,  8,  10,
                                                         12, 14, 16, 20,  24,  28,  32,  40, 48, 56,
                                                         64, 80, 96, 112, 128, 160, 192, 224};
inline constexpr uint8_t lengthBits[RepLengthSymbols] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                                         2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
inline constexpr uint32_t distanceBase[DistanceSymbols] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
inline constexpr uint8_t distanceBits[DistanceSymbols] = {
    0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,  7,  7,  8,  8,  9,  9,  10, 10,
    11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
constexpr int ShortSlots = SymbolNewTables - SymbolShortFirst;
inline constexpr uint8_t shortBase[ShortSlots] = {0, 4, 8, 16, 32, 64, 128, 192};
inline constexpr uint8_t shortBits[ShortSlots] = {2, 2, 3, 4, 5, 6, 6, 6};

// Each slot begins where the one before it ends, so that the slots cover
// one unbroken range; returns the end of the last.
template <typename Base, int N>
constexpr uint32_t SlotsEnd(const Base (&base)[N], const uint8_t (&bits)[N]) {
  for (int i = 0; i + 1 < N; i++)
    if (base[i + 1] != base[i] + (1u << bits[i])) return 0;
  return base[0] == 0 ? base[N - 1] + (1u << bits[N - 1]) : 0;
}

// The least length of each kind of match, before any bonus; the largest
// value the length slots code on top of it; the farthest short distance.
constexpr uint32_t NewMatchMinLength = 3;
constexpr uint32_t RecentMatchMinLength = 2;
constexpr uint32_t ShortMatchLength = 2;
constexpr uint32_t MaxLengthValue = 255;
constexpr uint32_t MaxShortDistance = 256;
static_assert(SlotsEnd(lengthBase, lengthBits) == MaxLengthValue + 1, "lengths 0..255 on top");
static_assert(SlotsEnd(distanceBase, distanceBits) == WindowSize, "distances 1..2^20");
static_assert(SlotsEnd(shortBase, shortBits) == MaxShortDistance, "short distances 1..256");

// A far match is worth coding only when it is long, so the decoder adds a
// byte to its length from each of these distances on; the first counts for
// recent-distance matches alone.
constexpr uint32_t RecentBonusDistance = 0x101;
constexpr uint32_t MidBonusDistance = 0x2000;
constexpr uint32_t FarBonusDistance = 0x40000;

constexpr uint32_t NewMatchBonus(uint32_t distance) {
  return (distance >= MidBonusDistance) + (distance >= FarBonusDistance);
}

constexpr uint32_t RecentMatchBonus(uint32_t distance) {
  return (distance >= RecentBonusDistance) + NewMatchBonus(distance);
}

// The longest match of either kind, bonuses included: what one symbol can
// add to the window at the most.
constexpr uint32_t LongestMatch = NewMatchMinLength + MaxLengthValue + NewMatchBonus(WindowSize);
static_assert(LongestMatch == RecentMatchMinLength + MaxLengthValue + RecentMatchBonus(WindowSize),
              "a recent-distance match is as long at the most");
static_assert(RecentBonusDistance < MidBonusDistance && MidBonusDistance < FarBonusDistance &&
                  FarBonusDistance < WindowSize,
              "each bonus from a farther distance on");
