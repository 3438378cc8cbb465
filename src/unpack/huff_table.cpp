#include "unpack/huff_table.h"

namespace {

// Fills the quick lookup. Limits of lengths up to QuickBits are multiples of
// 2^(16 - QuickBits) (or saturated above every peek), so all 16-bit values
// that share their top QuickBits bits find the same length and symbol as
// the lowest of them, whenever that length is at most QuickBits.
void BuildQuickTable(HuffTable* table) {
  constexpr uint32_t shift = 16 - QuickBits;
  uint32_t len = 1;
  for (uint32_t prefix = 0; prefix < (1u << QuickBits); prefix++) {
    const uint32_t v = prefix << shift;
    while (len < 15 && v >= table->limit[len]) len++;
    table->quick[prefix] = len <= QuickBits ? table->fields[SymbolAt(table, v, len)] | len : 0;
  }
}

}  // namespace

void BuildHuffTable(const uint8_t* lengths, int n, HuffTable* table, const uint32_t* fields) {
  // Over-full and incomplete sets pass: a lone symbol's code is incomplete; CRCs catch the rest.
  uint32_t count[16] = {};
  for (int s = 0; s < n; s++) count[lengths[s] & 15]++;
  count[0] = 0;
  uint32_t next[16];
  uint32_t code = 0;
  table->limit[0] = 0;
  table->firstIndex[0] = 0;
  for (int len = 1; len <= 15; len++) {
    code = 2 * (code + count[len]);
    const uint32_t limit = code << (15 - len);
    table->limit[len] = limit > 0xFFFF ? 0xFFFF : limit;
    table->firstIndex[len] = table->firstIndex[len - 1] + count[len - 1];
    next[len] = table->firstIndex[len];
  }
  for (int s = 0; s < n; s++) {
    const uint32_t len = lengths[s] & 15;
    if (len != 0) table->symbols[next[len]++] = uint32_t(s);
  }
  table->symbolCount = n;
  table->fields = fields;
  BuildQuickTable(table);
}

uint32_t DecodeSymbol(BitInput* in, const HuffTable* table) {
  const uint32_t v = PeekBits16(*in);
  uint32_t e = table->quick[v >> (16 - QuickBits)];
  if (e == 0) e = LongEntry(table, v);
  SkipBits(in, e & EntryLengthMask);
  return EntryValue(e);
}
