#include "format_tables.h"

namespace packer {

namespace {

struct SlotTables {
  uint8_t length[MaxLengthValue + 1];
  uint8_t shortDistance[MaxShortDistance];
  uint8_t distanceLow[1024];   // by value, for values below 1024
  uint8_t distanceHigh[2048];  // by value >> 9
  SlotTables() {
    for (int s = 0; s < RepLengthSymbols; s++)
      for (uint32_t v = LengthBase[s]; v < uint32_t(LengthBase[s] + (1u << LengthBits[s])); v++)
        length[v] = uint8_t(s);
    for (int s = 0; s < ShortSlots; s++)
      for (uint32_t v = ShortBase[s]; v < ShortBase[s] + (1u << ShortBits[s]); v++)
        shortDistance[v] = uint8_t(s);
    int slot = 0;
    for (uint32_t v = 0; v < 1024; v++) {
      while (slot + 1 < DistanceSymbols && DistanceBase[slot + 1] <= v) slot++;
      distanceLow[v] = uint8_t(slot);
    }
    slot = 0;
    for (uint32_t h = 0; h < 2048; h++) {
      while (slot + 1 < DistanceSymbols && DistanceBase[slot + 1] <= (h << 9)) slot++;
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
