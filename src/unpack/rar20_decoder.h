// The RAR 2.0 decompressor's one state: bit input, decode tables, the
// sliding window's positions, recent distances and the audio predictors.
#pragma once

#include <cstdint>

constexpr uint32_t InputBufferSize = 8192;
constexpr uint32_t WindowMask = 0xFFFFF;

struct BitInput {
  uint8_t buffer[InputBufferSize];
  uint32_t bytePos;     // byte holding the next unread bit
  uint32_t bitPos;      // bits of that byte already used, from the top
  uint32_t validBytes;  // bytes holding data after the last read, as the trailing check sees it
  uint32_t dataEnd;     // true end of the packed bytes in buffer; consuming past it means the
                        // data ran out, which no intact entry does
};

constexpr int MaxTableSymbols = 298;

struct HuffTable {
  int32_t symbolCount;
  uint32_t limit[16];
  uint32_t firstIndex[16];
  uint32_t symbols[MaxTableSymbols];  // the first symbolCount entries are this table's
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

// Bit input.
void FillInput();
void SlideInput();
uint32_t PeekBits16();
void SkipBits(uint32_t n);
uint32_t ReadBits(uint32_t n);
bool InputExhausted();

// Decode tables and block headers.
void BuildHuffTable(const uint8_t* lengths, int n, HuffTable* table);
uint32_t DecodeSymbol(const HuffTable* table);
void ReadBlockTables();

// The LZ loop and the window.
void ResetDecoder(bool solid);
void FlushWindow();
void CopyMatch(uint32_t length, uint32_t distance);
void ReadTrailingTables();

// Audio blocks.
uint8_t DecodeAudioByte(uint32_t symbol);
void AdaptWeights(ChannelPredictor* p);
