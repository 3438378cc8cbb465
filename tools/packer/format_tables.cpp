#include "format_tables.h"

namespace packer {

namespace {

// Distances below this find their slot by value; from it on, every slot
// starts at a multiple of 2^HighShift, so the value shifted right finds it.
constexpr uint32_t LowDistances = 1024;
constexpr uint32_t HighShift = 9;

constexpr bool HighSlotsStartOnSteps() {
  for (int s = 0; s < DistanceSymbols; s++)
    if (DistanceBase[s] >= LowDistances && DistanceBase[s] % (1u << HighShift) != 0) return false;
  return LowDistances % (1u << HighShift) == 0;
}
static_assert(HighSlotsStartOnSteps(), "the high lookup finds every slot");

struct SlotTables {
  uint8_t length[MaxLengthValue + 1];
  uint8_t shortDistance[MaxShortDistance];
  uint8_t distanceLow[LowDistances];              // by value
  uint8_t distanceHigh[WindowSize >> HighShift];  // by value >> HighShift
  SlotTables() {
    for (int s = 0; s < RepLengthSymbols; s++)
      for (uint32_t v = LengthBase[s]; v < uint32_t(LengthBase[s] + (1u << LengthBits[s])); v++)
        length[v] = uint8_t(s);
    for (int s = 0; s < ShortSlots; s++)
      for (uint32_t v = ShortBase[s]; v < ShortBase[s] + (1u << ShortBits[s]); v++)
        shortDistance[v] = uint8_t(s);
    int slot = 0;
    for (uint32_t v = 0; v < LowDistances; v++) {
      while (slot + 1 < DistanceSymbols && DistanceBase[slot + 1] <= v) slot++;
      distanceLow[v] = uint8_t(slot);
    }
    slot = 0;
    for (uint32_t h = 0; h < (WindowSize >> HighShift); h++) {
      while (slot + 1 < DistanceSymbols && DistanceBase[slot + 1] <= (h << HighShift)) slot++;
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
  return value < LowDistances ? Slots().distanceLow[value]
                              : Slots().distanceHigh[value >> HighShift];
}

}  // namespace packer
