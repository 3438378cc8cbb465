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
static_assert(QuickBits <= uint32_t(MaxCodeLength) && MaxCodeLength < 64,
              "a quick entry's length fits its six bits");

// What a code stands for, as the hot loops want it: a value, and the count
// of extra bits that follow the code (0..16) and are added to the value.
// Most alphabets stand for their symbols; those of lengths and distances
// for the numbers their slots start, so that a match needs no lookup of
// its slot's base and extra bits after its symbol's. A field is
// value << EntryValueShift | extra << EntryExtraShift; a table's entry adds
// the code's length in the low six bits.
constexpr uint32_t EntryExtraShift = 6;
constexpr uint32_t EntryValueShift = 11;
constexpr uint32_t EntryLengthMask = (1u << EntryExtraShift) - 1;
constexpr uint32_t EntryExtraMask = (1u << (EntryValueShift - EntryExtraShift)) - 1;
static_assert(EntryExtraMask >= 16 && (WindowSize >> (32 - EntryValueShift)) == 0,
              "16 extra bits and a distance fit an entry");

struct SymbolFields {
  uint32_t field[MaxTableSymbols];
};

constexpr SymbolFields PlainFields() {
  SymbolFields f{};
  for (uint32_t s = 0; s < uint32_t(MaxTableSymbols); s++) f.field[s] = s << EntryValueShift;
  return f;
}
// Each symbol standing for itself, with no extra bits.
inline constexpr SymbolFields plainFields = PlainFields();

HotInline uint32_t EntryValue(uint32_t entry) {
  return entry >> EntryValueShift;
}
// The value of an entry whose field holds a signed one.
HotInline int32_t EntrySignedValue(uint32_t entry) {
  return int32_t(entry) >> EntryValueShift;
}
HotInline uint32_t EntryExtraBits(uint32_t entry) {
  return (entry >> EntryExtraShift) & EntryExtraMask;
}

struct HuffTable {
  int32_t symbolCount;
  uint32_t limit[16];
  uint32_t firstIndex[16];
  uint32_t symbols[MaxTableSymbols];  // the first symbolCount entries are this table's
  const uint32_t* fields;             // by symbol
  // Indexed by the next QuickBits bits: the code's symbol's field with its
  // length added, or 0 when the code is longer and the limits must be
  // searched. The length in the low six bits lets the entry itself serve
  // as the shift count.
  uint32_t quick[1u << QuickBits];
};

// Builds the table of the code whose lengths are given for n symbols; the
// entries take their values and extra bits from fields (n of them).
void BuildHuffTable(const uint8_t* lengths, int n, HuffTable* table,
                    const uint32_t* fields = plainFields.field);

// Decodes and consumes one code; returns its value (in a table of plain
// fields, its symbol). Its extra bits are left unread.
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

// Codes longer than QuickBits: v is the next 16 bits; returns the code's
// entry as the quick table would hold it. Inline, so that the hot loops make
// no calls and keep their state in registers.
HotInline uint32_t LongEntry(const HuffTable* table, uint32_t v) {
  // The lowest bit of the peek takes no part in the search.
  v &= 0xFFFE;
  const uint32_t length = CodeLength(table, v);
  return table->fields[SymbolAt(table, v, length)] | length;
}

// Decoding a code in two steps, so that a top-up can go between them: the
// lookup of the next QuickBits bits then need not wait for the top-up's
// load. QuickEntry needs QuickBits bits in the register, FinishEntry 16.
HotInline uint32_t QuickEntry(const HuffTable* table, const BitRegister& r) {
  return table->quick[r.bits >> (BitWordBits - QuickBits)];
}

// Consumes the code; returns its entry.
HotInline uint32_t FinishEntry(const HuffTable* table, BitRegister* r, uint32_t entry) {
  if (__builtin_expect(entry == 0, 0)) entry = LongEntry(table, PeekRegister16(*r));
  const uint32_t length = entry & EntryLengthMask;
  r->bits <<= length;
  r->count -= length;
  return entry;
}

HotInline uint32_t TakeEntry(const HuffTable* table, BitRegister* r) {
  return FinishEntry(table, r, QuickEntry(table, *r));
}
