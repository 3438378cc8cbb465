#include "format_tables.h"

namespace packer {

const uint8_t LengthBase[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
const uint8_t LengthBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
const uint32_t DistanceBase[48] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
const uint8_t DistanceBits[48] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                  7,  7,  8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14,
                                  15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
const uint8_t ShortBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
const uint8_t ShortBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};

namespace {

struct SlotTables {
  uint8_t length[256];
  uint8_t shortDistance[256];
  uint8_t distanceLow[1024];   // by value, for values below 1024
  uint8_t distanceHigh[2048];  // by value >> 9
  SlotTables() {
    for (int s = 0; s < 28; s++)
      for (uint32_t v = LengthBase[s]; v < uint32_t(LengthBase[s] + (1u << LengthBits[s])); v++)
        length[v] = uint8_t(s);
    for (int s = 0; s < 8; s++)
      for (uint32_t v = ShortBase[s]; v < ShortBase[s] + (1u << ShortBits[s]); v++)
        shortDistance[v] = uint8_t(s);
    int slot = 0;
    for (uint32_t v = 0; v < 1024; v++) {
      while (slot + 1 < 48 && DistanceBase[slot + 1] <= v) slot++;
      distanceLow[v] = uint8_t(slot);
    }
    slot = 0;
    for (uint32_t h = 0; h < 2048; h++) {
      while (slot + 1 < 48 && DistanceBase[slot + 1] <= (h << 9)) slot++;
      distanceHigh[h] = uint8_t(slot);
    }
  }
};

const SlotTables& Slots() {
  static const SlotTables tables;
  return tables;
}

}  // namespace

int LengthSlot(uint32_t value) {
  return Slots().length[value];
}

int ShortSlot(uint32_t value) {
  return Slots().shortDistance[value];
}

int DistanceSlot(uint32_t value) {
  // From 1024 on every slot starts at a multiple of 512.
  return value < 1024 ? Slots().distanceLow[value] : Slots().distanceHigh[value >> 9];
}

}  // namespace packer
