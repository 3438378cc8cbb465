// Canonical prefix-code tables: built from code lengths, decoded by one
// lookup of the next QuickBits bits, or for longer codes by comparing the
// next 16 bits with the per-length limits.
#pragma once

#include <cstdint>

#include "unpack/bit_input.h"
#include "unpack/compressed_format.h"
#include "unpack/hot_inline.h"

constexpr int MaxTableSymbols = LiteralSymbols;
// Codes of up to this many bits are decoded by one lookup of the next bits.
constexpr uint32_t QuickBits = 10;
static_assert(QuickBits <= uint32_t(MaxCodeLength) && MaxCodeLength < 64 &&
                  MaxTableSymbols <= (1 << (16 - 6)),
              "a quick entry holds a symbol above six bits of code length");

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

void BuildHuffTable(const uint8_t* lengths, int n, HuffTable* table);

// Decodes and consumes one code.
uint32_t DecodeSymbol(BitInput* in, const HuffTable* table);

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
  return table->quick[r.bits >> (BitWordBits - QuickBits)];
}

HotInline uint32_t FinishSymbol(const HuffTable* table, BitRegister* r, uint32_t entry) {
  uint32_t length = entry & 63;
  uint32_t symbol = entry >> 6;
  if (__builtin_expect(entry == 0, 0))
    symbol = DecodeLongSymbol(table, PeekRegister16(*r), &length);
  r->bits <<= length;
  r->count -= length;
  return symbol;
}

HotInline uint32_t TakeSymbol(const HuffTable* table, BitRegister* r) {
  return FinishSymbol(table, r, QuickEntry(table, *r));
}
