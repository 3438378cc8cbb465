// The RAR 2.0 decompressor's one state: bit input, decode tables, the
// sliding window's positions, recent distances and the audio predictors.
#pragma once

#include <cstdint>
#include <cstring>

// For the few small steps of the hot loops: inlined even where the
// compiler's size limits would stop it, since a call there would push the
// loops' state out of registers.
#define HotInline inline __attribute__((always_inline))

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
  // Indexed by the next QuickBits bits: symbol << 6 | code length, or 0 when
  // the code is longer and the limits must be searched. The length in the
  // low six bits lets the entry itself serve as the shift count.
  uint16_t quick[1u << QuickBits];
};

struct ChannelPredictor {
  // Each delta beside its weight: stored side by side, the four deltas would
  // be written as one vector and read back one at a time, which the
  // processor cannot forward from its store buffer.
  int32_t weight1, delta1;
  int32_t weight2, delta2;
  int32_t weight3, delta3;
  int32_t weight4, delta4;
  int32_t weight5, prevDelta;
  uint32_t errorSum[11];  // the sums over this channel's bytes before those in `pending`
  uint32_t sampleCount;
  int32_t prevByte;
  // The values each of the channel's bytes since the last adaptation compared:
  // 8 x its symbol, then delta1..delta4 and crossDelta as it saw them, at
  // slot (byte number mod 32). The eleven sums are added up from here once
  // per 32 bytes, eight bytes to a vector, instead of eleven additions a byte.
  int16_t pending[6][32];
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

// Bit input, one operation at a time from the position in BitInput.
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

// The hot loop's bit input: the next bits of the buffer held most
// significant first in a 64-bit register, topped up a few bytes at a time,
// so that decoding a symbol is one table lookup and one shift. Bits of the
// register below `count` are unused; they are either zero or the stream's
// own next bits, so a top-up may OR the same bits in again.
struct BitRegister {
  uint64_t bits;
  uint32_t count;  // bits of `bits` that are the stream's next bits
  uint32_t next;   // buffer index of the first byte not yet in `bits`
};

// Afterwards the register holds at least 56 bits.
HotInline void TopUpBits(BitRegister* r, const uint8_t* buffer) {
  uint64_t word;
  std::memcpy(&word, buffer + r->next, 8);
  r->bits |= __builtin_bswap64(word) >> r->count;
  r->next += (63 - r->count) >> 3;
  r->count |= 56;
}

// Field by field: the compiler would copy the whole record through the
// stack, and the hot loops' copy would then live there too.
HotInline void CopyBitRegister(BitRegister* to, const BitRegister& from) {
  to->bits = from.bits;
  to->count = from.count;
  to->next = from.next;
}

// Starts the register at a bit position of the buffer.
inline void LoadBitRegister(BitRegister* r, const uint8_t* buffer, uint32_t position) {
  r->bits = 0;
  r->count = 0;
  r->next = position >> 3;
  TopUpBits(r, buffer);
  r->bits <<= position & 7;
  r->count -= position & 7;
}

// The bit position of the next unread bit.
inline uint32_t BitRegisterPosition(const BitRegister& r) {
  return r.next * 8 - r.count;
}

// n = 0..16 bits as a number; n = 0 reads nothing and gives 0.
HotInline uint32_t TakeBits(BitRegister* r, uint32_t n) {
  const uint32_t v = uint32_t(r->bits >> (63 - n) >> 1);
  r->bits <<= n;
  r->count -= n;
  return v;
}

// Decode tables and block headers.
void BuildHuffTable(const uint8_t* lengths, int n, HuffTable* table);
// The smallest length whose limit lies above v (the limits never decrease
// with the length); 15 when none of 1..14 does.
HotInline uint32_t CodeLength(const HuffTable* table, uint32_t v) {
  const uint32_t* limit = table->limit;
  if (v < limit[8]) {
    if (v < limit[4]) {
      if (v < limit[2]) return v < limit[1] ? 1 : 2;
      return v < limit[3] ? 3 : 4;
    }
    if (v < limit[6]) return v < limit[5] ? 5 : 6;
    return v < limit[7] ? 7 : 8;
  }
  if (v < limit[12]) {
    if (v < limit[10]) return v < limit[9] ? 9 : 10;
    return v < limit[11] ? 11 : 12;
  }
  if (v < limit[14]) return v < limit[13] ? 13 : 14;
  return 15;
}

// The symbol a code of length len at v stands for. A position past the
// alphabet reads slot 0; a slot no code filled keeps what an earlier build
// of the table left there.
HotInline uint32_t SymbolAt(const HuffTable* table, uint32_t v, uint32_t len) {
  uint32_t i = table->firstIndex[len] + ((v - table->limit[len - 1]) >> (16 - len));
  if (i >= uint32_t(table->symbolCount)) i = 0;
  return table->symbols[i];
}

// Codes longer than QuickBits: v is the next 16 bits; returns the symbol and
// sets *length to the code's length. Inline, so that the hot loops make no
// calls and keep their state in registers.
HotInline uint32_t DecodeLongSymbol(const HuffTable* table, uint32_t v, uint32_t* length) {
  // The lowest bit of the peek takes no part in the search.
  v &= 0xFFFE;
  *length = CodeLength(table, v);
  return SymbolAt(table, v, *length);
}

// Decoding a symbol in two steps, so that a top-up can go between them:
// the lookup of the next QuickBits bits then need not wait for the top-up's
// load. QuickEntry needs QuickBits bits in the register, FinishSymbol 16.
HotInline uint32_t QuickEntry(const HuffTable* table, const BitRegister& r) {
  return table->quick[r.bits >> (64 - QuickBits)];
}

HotInline uint32_t FinishSymbol(const HuffTable* table, BitRegister* r, uint32_t entry) {
  uint32_t length = entry & 63;
  uint32_t symbol = entry >> 6;
  if (__builtin_expect(entry == 0, 0))
    symbol = DecodeLongSymbol(table, uint32_t(r->bits >> 48), &length);
  r->bits <<= length;
  r->count -= length;
  return symbol;
}

HotInline uint32_t TakeSymbol(const HuffTable* table, BitRegister* r) {
  return FinishSymbol(table, r, QuickEntry(table, *r));
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

// errorSum[i] + the errors of candidate i over the first n pending bytes,
// into sums (which may be errorSum itself).
void AddPendingErrors(const ChannelPredictor* p, uint32_t n, uint32_t* sums);
// Every 32 bytes of a channel: its sums added up, then AdaptWeights.
void AdaptChannel(ChannelPredictor* p);

inline bool AdaptationDue(const ChannelPredictor* p) {
  return p->sampleCount % 32 == 0;
}

// One audio byte of the channel p from its symbol; cross is the delta of the
// last audio byte on any channel, which this byte's delta replaces. Inline:
// the decoding loop runs it with cross in a register. The caller adapts the
// weights when AdaptationDue.
HotInline uint8_t PredictAudioByte(ChannelPredictor* p, int32_t* cross, uint32_t symbol) {
  const int32_t x = *cross;
  const int32_t d1 = p->prevDelta;
  const int32_t d2 = p->prevDelta - p->delta1;
  const int32_t d3 = p->delta2;
  const int32_t d4 = p->delta3;
  p->delta1 = d1;
  p->delta2 = d2;
  p->delta3 = d3;
  p->delta4 = d4;
  const uint32_t slot = p->sampleCount++ & 31;

  const int32_t sum = 8 * p->prevByte + p->weight1 * d1 + p->weight2 * d2 + p->weight3 * d3 +
                      p->weight4 * d4 + p->weight5 * x;
  const uint8_t out = uint8_t((uint32_t(sum) >> 3) - symbol);

  p->pending[0][slot] = int16_t(8 * int32_t(int8_t(uint8_t(symbol))));
  p->pending[1][slot] = int16_t(d1);
  p->pending[2][slot] = int16_t(d2);
  p->pending[3][slot] = int16_t(d3);
  p->pending[4][slot] = int16_t(d4);
  p->pending[5][slot] = int16_t(x);

  const int32_t delta = int8_t(uint8_t(out - uint8_t(p->prevByte)));
  p->prevDelta = delta;
  *cross = delta;
  p->prevByte = out;
  return out;
}
