// Canonical prefix-code tables: built from code lengths, decoded by
// comparing the next 16 bits with the per-length limits.
#include "unpack/rar20_decoder.h"

void BuildHuffTable(const uint8_t* lengths, int n, HuffTable* table) {
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
}

uint32_t DecodeSymbol(const HuffTable* table) {
  const uint32_t v = PeekBits16() & 0xFFFE;
  const uint32_t* limit = table->limit;
  // A fixed tree of comparisons finds the smallest length whose limit lies
  // above v (the limits never decrease with the length).
  uint32_t len;
  if (v < limit[8]) {
    if (v < limit[4]) {
      if (v < limit[2])
        len = v < limit[1] ? 1 : 2;
      else
        len = v < limit[3] ? 3 : 4;
    } else {
      if (v < limit[6])
        len = v < limit[5] ? 5 : 6;
      else
        len = v < limit[7] ? 7 : 8;
    }
  } else {
    if (v < limit[12]) {
      if (v < limit[10])
        len = v < limit[9] ? 9 : 10;
      else
        len = v < limit[11] ? 11 : 12;
    } else {
      if (v < limit[14])
        len = v < limit[13] ? 13 : 14;
      else
        len = 15;
    }
  }
  SkipBits(len);
  uint32_t i = table->firstIndex[len] + ((v - table->limit[len - 1]) >> (16 - len));
  if (i >= uint32_t(table->symbolCount)) i = 0;
  return table->symbols[i];
}
