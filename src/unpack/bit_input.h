// Packed bits, most significant first, from a fixed buffer that slides at
// fixed points instead of testing bounds on every read; and the hot loops'
// copy of the same bits in a 64-bit register.
#pragma once

#include <cstdint>
#include <cstring>

#include "unpack/hot_inline.h"

constexpr uint32_t InputBufferSize = 8192;
// Bytes after the buffer that a peek's four-byte load (or a top-up's
// eight-byte load) may touch; the bits it takes from them are never used.
constexpr uint32_t InputLoadSlack = 8;
// Bytes moved to the front on a slide: every slide point lies in them.
constexpr uint32_t SlideKeep = 32;
static_assert(InputLoadSlack >= 8 - 1, "an eight-byte load from the buffer's last byte");

// Where the callers slide the input instead of testing bounds on every
// read: at the start of each pass of the decoding loop, at the start of a
// block header, and before each code-length symbol of one.
constexpr uint32_t LoopSlideAt = 8162;
constexpr uint32_t HeaderSlideAt = 8167;
constexpr uint32_t LengthSlideAt = 8187;
static_assert(LoopSlideAt >= InputBufferSize - SlideKeep &&
                  HeaderSlideAt >= InputBufferSize - SlideKeep &&
                  LengthSlideAt >= InputBufferSize - SlideKeep && LengthSlideAt < InputBufferSize,
              "a slide keeps the unread bytes of every slide point");

// True when `bits` bits read from any bit of the byte at a slide point all
// lie inside the buffer: loads that look further ahead take only bits that
// are never used from the slack.
constexpr bool ReadFitsAfterSlidePoint(uint32_t slideAt, uint32_t bits) {
  return slideAt * 8 + 7 + bits <= InputBufferSize * 8;
}

// Where an entry's packed bytes come from: read stores up to count bytes at
// dest and returns how many; 0 once the entry's packed bytes are used up.
// The decoder asks for InputBufferSize bytes when it starts an entry and for
// InputBufferSize - SlideKeep on every slide, and in no other way.
struct PackedSource {
  int32_t (*read)(void* context, uint8_t* dest, uint32_t count);
  void* context;
};

struct BitInput {
  uint8_t buffer[InputBufferSize + InputLoadSlack];
  uint32_t bytePos;     // byte holding the next unread bit
  uint32_t bitPos;      // bits of that byte already used, from the top
  uint32_t validBytes;  // bytes holding data after the last read, as the trailing check sees it
  uint32_t dataEnd;     // true end of the packed bytes in buffer; consuming past it means the
                        // data ran out, which no intact entry does
  PackedSource source;  // the current entry's packed bytes
};

// First read of an entry: a whole buffer from the source, read from byte 0.
void FillInput(BitInput* in);
// Called only with bytePos at InputBufferSize - SlideKeep or beyond: keeps
// the last SlideKeep bytes at the front and reads the source behind them.
void SlideInput(BitInput* in);
// True once more bits were consumed than the source handed out.
bool InputExhausted(const BitInput& in);

inline uint32_t PeekBitsAt(const uint8_t* buffer, uint32_t bits) {
  uint32_t word;
  std::memcpy(&word, buffer + (bits >> 3), 4);
  return ((__builtin_bswap32(word) << (bits & 7)) >> 16) & 0xFFFF;
}

// The next 16 bits, not consumed.
inline uint32_t PeekBits16(const BitInput& in) {
  return PeekBitsAt(in.buffer, in.bytePos * 8 + in.bitPos);
}

inline void SkipBits(BitInput* in, uint32_t n) {
  in->bitPos += n;
  in->bytePos += in->bitPos >> 3;
  in->bitPos &= 7;
}

// n = 1..16 bits as a number, consumed.
inline uint32_t ReadBits(BitInput* in, uint32_t n) {
  const uint32_t v = PeekBits16(*in) >> (16 - n);
  SkipBits(in, n);
  return v;
}

// The hot loops' bit input: the next bits of the buffer held most
// significant first in a register as wide as the machine's own, topped up a
// few bytes at a time, so that decoding a symbol is one table lookup and
// one shift. 32-bit code gets a 32-bit register, which it shifts in one
// instruction (a 64-bit one takes a pair and a test of the count) and tops
// up more often. Bits of the register below `count` are unused; they are
// either zero or the stream's own next bits, so a top-up may OR the same
// bits in again.
typedef uintptr_t BitWord;
constexpr uint32_t BitWordBits = sizeof(BitWord) * 8;
// Bits a top-up leaves in the register at the least: 56, or 24 in 32-bit
// code, which is enough for one symbol of up to 15 bits and its up to 5
// extra bits, or for the 16 bits a symbol's lookup looks at.
constexpr uint32_t ToppedUpBits = BitWordBits - 8;
constexpr bool NarrowBitWord = BitWordBits == 32;
static_assert(BitWordBits == 32 || BitWordBits == 64, "a 32- or 64-bit register");

struct BitRegister {
  BitWord bits;
  uint32_t count;  // bits of `bits` that are the stream's next bits
  uint32_t next;   // buffer index of the first byte not yet in `bits`
};

HotInline BitWord LoadBigEndianWord(const uint8_t* at) {
  BitWord word;
  std::memcpy(&word, at, sizeof word);
  if constexpr (NarrowBitWord)
    return BitWord(__builtin_bswap32(uint32_t(word)));
  else
    return BitWord(__builtin_bswap64(uint64_t(word)));
}

// Afterwards the register holds at least ToppedUpBits bits.
HotInline void TopUpBits(BitRegister* r, const uint8_t* buffer) {
  r->bits |= LoadBigEndianWord(buffer + r->next) >> r->count;
  r->next += (BitWordBits - 1 - r->count) >> 3;
  r->count |= ToppedUpBits;
}

// Field by field: the compiler would copy the whole record through the
// stack, and the hot loops' copy would then live there too.
HotInline void CopyBitRegister(BitRegister* to, const BitRegister& from) {
  to->bits = from.bits;
  to->count = from.count;
  to->next = from.next;
}

// Starts the register at a bit position of the buffer; it then holds at
// least ToppedUpBits - 7 bits.
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

// The next 16 bits, not consumed (the register must hold them).
HotInline uint32_t PeekRegister16(const BitRegister& r) {
  return uint32_t(r.bits >> (BitWordBits - 16));
}

// n = 0..16 bits as a number; n = 0 reads nothing and gives 0.
HotInline uint32_t TakeBits(BitRegister* r, uint32_t n) {
  const uint32_t v = uint32_t(r->bits >> (BitWordBits - 1 - n) >> 1);
  r->bits <<= n;
  r->count -= n;
  return v;
}
