// The RAR 2.0 decompressor's one state: bit input, decode tables, the
// sliding window's positions, recent distances and the audio predictors.
#pragma once

#include <cstdint>
#include <cstring>

constexpr uint32_t InputBufferSize = 8192;
// Bytes after the buffer that a peek's four-byte load may touch; the bits it
// takes from them are never used.
constexpr uint32_t InputLoadSlack = 8;
constexpr uint32_t WindowMask = 0xFFFFF;

struct BitInput {
  uint8_t buffer[InputBufferSize + InputLoadSlack];
  uint32_t bytePos;     // byte holding the next unread bit
  uint32_t bitPos;      // bits of that byte already used, from the top
  uint32_t validBytes;  // bytes holding data after the last read, as the trailing check sees it
  uint32_t dataEnd;     // true end of the packed bytes in buffer; consuming past it means the
                        // data ran out, which no intact entry does
};

constexpr int MaxTableSymbols = 298;
// Codes of up to this many bits are decoded by one lookup of the next bits.
constexpr uint32_t QuickBits = 10;

struct HuffTable {
  int32_t symbolCount;
  uint32_t limit[16];
  uint32_t firstIndex[16];
  uint32_t symbols[MaxTableSymbols];  // the first symbolCount entries are this table's
  // Indexed by the next QuickBits bits: code length << 9 | symbol, or 0 when
  // the code is longer and the limits must be searched.
  uint16_t quick[1u << QuickBits];
};

struct ChannelPredictor {
  int32_t weight1, weight2, weight3, weight4, weight5;
  int32_t delta1, delta2, delta3, delta4;
  int32_t prevDelta;
  uint32_t errorSum[11];
  uint32_t sampleCount;
  int32_t prevByte;
};

constexpr int LiteralSymbols = 298;  // also the largest alphabet
constexpr int DistanceSymbols = 48;
constexpr int RepLengthSymbols = 28;
constexpr int LevelSymbols = 19;
constexpr int AudioSymbols = 257;
constexpr int LzLengthCount = LiteralSymbols + DistanceSymbols + RepLengthSymbols;  // 374
constexpr int MaxLengthCount = 4 * AudioSymbols;                                    // 1028

struct Rar20Decoder {
  BitInput input;
  HuffTable literalTable;
  HuffTable distanceTable;
  HuffTable repLengthTable;
  HuffTable levelTable;
  HuffTable audioTables[4];
  uint8_t previousLengths[MaxLengthCount];
  bool audioMode;
  uint32_t channelCount;
  uint32_t currentChannel;

  uint8_t* window;
  uint32_t writePos;
  uint32_t flushPos;
  uint32_t recentDistances[4];
  uint32_t recentCount;
  uint32_t prevMatchLength;
  uint32_t prevMatchDistance;

  ChannelPredictor channels[4];
  int32_t crossDelta;

  // Set when the packed data cannot be valid (a repeat with nothing to
  // repeat, input consumed past its end); the entry stops and stays broken
  // for any solid entry that would continue from it, until a full reset.
  bool dataError;
};

extern Rar20Decoder decoder;

extern const uint8_t lengthBase[28];
extern const uint8_t lengthBits[28];
extern const uint32_t distanceBase[48];
extern const uint8_t distanceBits[48];
extern const uint8_t shortBase[8];
extern const uint8_t shortBits[8];

// Bit input. The hot loop keeps the position as one bit count (bytePos * 8 +
// bitPos) in a register and peeks through the same helpers.
void FillInput();
void SlideInput();
bool InputExhausted();

inline uint32_t PeekBitsAt(const uint8_t* buffer, uint32_t bits) {
  uint32_t word;
  std::memcpy(&word, buffer + (bits >> 3), 4);
  return ((__builtin_bswap32(word) << (bits & 7)) >> 16) & 0xFFFF;
}

inline uint32_t PeekBits16() {
  const BitInput& in = decoder.input;
  return PeekBitsAt(in.buffer, in.bytePos * 8 + in.bitPos);
}

inline void SkipBits(uint32_t n) {
  BitInput& in = decoder.input;
  in.bitPos += n;
  in.bytePos += in.bitPos >> 3;
  in.bitPos &= 7;
}

inline uint32_t ReadBits(uint32_t n) {
  const uint32_t v = PeekBits16() >> (16 - n);
  SkipBits(n);
  return v;
}

// Decode tables and block headers.
void BuildHuffTable(const uint8_t* lengths, int n, HuffTable* table);
// Codes longer than QuickBits: v is the next 16 bits; returns the symbol and
// adds the code's length to *bits.
uint32_t DecodeLongSymbol(const HuffTable* table, uint32_t v, uint32_t* bits);

inline uint32_t DecodeSymbolAt(const HuffTable* table, const uint8_t* buffer, uint32_t* bits) {
  const uint32_t v = PeekBitsAt(buffer, *bits);
  const uint32_t e = table->quick[v >> (16 - QuickBits)];
  if (e == 0) return DecodeLongSymbol(table, v, bits);
  *bits += e >> 9;
  return e & 0x1FF;
}

uint32_t DecodeSymbol(const HuffTable* table);
void ReadBlockTables();

// The LZ loop and the window.
void ResetDecoder(bool solid);
void FlushWindow();
void CopyMatch(uint32_t length, uint32_t distance);
void ReadTrailingTables();
void PassOverBrokenExtent(uint32_t missing);

// Audio blocks.
uint8_t DecodeAudioByte(uint32_t symbol);
void AdaptWeights(ChannelPredictor* p);
