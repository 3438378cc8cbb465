// The alphabets of the compressed data and the slots of lengths and
// distances: base values and the extra bits that follow each slot.
#pragma once

#include <cstdint>

constexpr int LiteralSymbols = 298;  // also the largest alphabet
constexpr int DistanceSymbols = 48;
constexpr int RepLengthSymbols = 28;
constexpr int LevelSymbols = 19;
constexpr int AudioSymbols = 257;
constexpr int LzLengthCount = LiteralSymbols + DistanceSymbols + RepLengthSymbols;  // 374
constexpr int MaxLengthCount = 4 * AudioSymbols;                                    // 1028

extern const uint8_t lengthBase[28];
extern const uint8_t lengthBits[28];
extern const uint32_t distanceBase[48];
extern const uint8_t distanceBits[48];
extern const uint8_t shortBase[8];
extern const uint8_t shortBits[8];
