// Packed bits, most significant first, read where they lie: in the spans
// of packed bytes the source hands out (the archive image itself, or a
// buffer of decrypted bytes). Only near a span's end are the unread bytes
// and the next span's first ones copied into a small edge buffer, followed
// by zeros once the packed data end; so no read tests bounds but the few
// callers that ask for room ahead. The hot loops keep a copy of the bits in
// a register as wide as the machine's word.
#pragma once

#include <cstdint>
#include <cstring>

#include "unpack/hot_inline.h"

// Where an entry's packed bytes come from: next stores the start of the
// next span at *data and returns its length; 0 once the entry's packed
// bytes are used up. A span stays readable until the next call, and no read
// passes its end.
struct PackedSource {
  uint32_t (*next)(void* context, const uint8_t** data);
  void* context;
};

// The most bytes read ahead of the next unread byte that a caller may ask
// room for, and what the edge buffer holds: the stream bytes copied into it
// (when so many are left) and zeros behind them once the data end.
constexpr uint32_t MaxReadAhead = 32;
constexpr uint32_t EdgeDataSize = 256;
constexpr uint32_t EdgeSize = EdgeDataSize + 2 * MaxReadAhead;
// A span longer than this is read as pieces of it, so that bit positions
// within the bytes being read fit 32 bits.
constexpr uint32_t MaxPieceSize = 1u << 28;
// dataEnd while the end of the packed data lies beyond the bytes being read.
constexpr uint32_t DataEndUnknown = 0xFFFFFFFFu >> 3;

struct BitInput {
  const uint8_t* bytes;  // where the bits are read: the current piece, or edge
  uint32_t bytePos;      // byte of `bytes` holding the next unread bit
  uint32_t bitPos;       // bits of that byte already used, from the top
  uint32_t readable;     // bytes at `bytes` that reads may touch
  // Bytes of `bytes` that are packed data; consuming past them means the
  // data ran out, which no intact entry does. Beyond them the edge holds
  // zeros. DataEndUnknown while more data follow what is being read.
  uint32_t dataEnd;
  uint64_t base;  // offset in the entry's packed data of bytes[0]
  // The edge was moved to a position already past the data's end, where
  // dataEnd cannot say so: more bits were consumed than the data hold.
  bool overrun;

  const uint8_t* piece;  // the part of the source's current span being read
  uint32_t pieceSize;
  uint64_t pieceStart;  // offset of piece[0] in the packed data
  const uint8_t* rest;  // what follows it in that span
  uint32_t restSize;
  bool ended;           // the source has nothing more: the edge ends the data
  uint32_t edgeFill;    // stream bytes in edge; zeros or stale bytes follow
  PackedSource source;  // the current entry's packed bytes
  uint8_t edge[EdgeSize];
};

// Starts reading an entry's packed data from its first byte.
void StartInput(BitInput* in);
// Makes the `need` bytes from bytePos readable (need <= MaxReadAhead):
// moves to the edge near a piece's end, back to the piece once the
// position lies in it with room, and on to the next piece.
void MoveInput(BitInput* in, uint32_t need);
inline void NeedInput(BitInput* in, uint32_t need) {
  if (in->bytePos + need > in->readable) MoveInput(in, need);
}
// True once more bits were consumed than the source handed out.
inline bool InputExhausted(const BitInput& in) {
  return in.overrun || in.bytePos * 8 + in.bitPos > in.dataEnd * 8;
}

inline uint32_t PeekBitsAt(const uint8_t* buffer, uint32_t bits) {
  uint32_t word;
  std::memcpy(&word, buffer + (bits >> 3), 4);
  return ((__builtin_bswap32(word) << (bits & 7)) >> 16) & 0xFFFF;
}

// The next 16 bits, not consumed.
inline uint32_t PeekBits16(const BitInput& in) {
  return PeekBitsAt(in.bytes, in.bytePos * 8 + in.bitPos);
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

// The hot loops' bit input: the next bits of the input held most
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
  // The first input byte not yet in `bits`: a pointer rather than an index,
  // so that the hot loops need no register for the bytes' start.
  const uint8_t* next;
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
HotInline void TopUpBits(BitRegister* r) {
  r->bits |= LoadBigEndianWord(r->next) >> r->count;
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
  r->next = buffer + (position >> 3);
  TopUpBits(r);
  r->bits <<= position & 7;
  r->count -= position & 7;
}

// The bit position of the next unread bit in the bytes at buffer.
inline uint32_t BitRegisterPosition(const BitRegister& r, const uint8_t* buffer) {
  return uint32_t(r.next - buffer) * 8 - r.count;
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
