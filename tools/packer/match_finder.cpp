#include "match_finder.h"

#include <algorithm>
#include <cstring>

namespace packer {

namespace {

constexpr uint32_t Empty = UINT32_MAX;
constexpr int HashBits = 17;
constexpr uint32_t SlotMask = WindowSize - 1;

// Positions index their links by pos & SlotMask; a stream shorter than the
// window never reaches a slot at or past its size, so small files need only
// that many (the links found are the same).
inline size_t LinkSlots(uint32_t size) {
  return size < WindowSize ? size_t(size) + 1 : WindowSize;
}

// The tables of the last match finder to go, kept for the next one: packing
// many files then allocates them once, not once a file (which costs most
// under a sanitizer's allocator, that maps each large block anew).
enum SpareTable { SpareHead, SpareLinks, SpareHead3, SpareRuns, SpareTables };
thread_local std::vector<uint32_t> spare[SpareTables];

std::vector<uint32_t> TakeTable(SpareTable which, size_t n) {
  std::vector<uint32_t> table;
  table.swap(spare[which]);
  table.assign(n, Empty);
  return table;
}

void KeepTable(SpareTable which, std::vector<uint32_t>* table) {
  if (table->capacity() > spare[which].capacity()) spare[which].swap(*table);
}

inline uint32_t Hash3(const uint8_t* p) {
  const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
  return (v * 2654435761u) >> (32 - HashBits);
}

}  // namespace

inline uint32_t Hash4(const uint8_t* p) {
  uint32_t v;
  __builtin_memcpy(&v, p, 4);
  return (v * 2654435761u) >> (32 - HashBits);
}

HashChains::HashChains(const uint8_t* data, uint32_t size)
    : data_(data),
      size_(size),
      head_(TakeTable(SpareHead, 1u << HashBits)),
      link_(TakeTable(SpareLinks, LinkSlots(size))),
      head3_(TakeTable(SpareHead3, 1u << 16)),
      runStart_(TakeTable(SpareRuns, LinkSlots(size))) {}

HashChains::~HashChains() {
  KeepTable(SpareHead, &head_);
  KeepTable(SpareLinks, &link_);
  KeepTable(SpareHead3, &head3_);
  KeepTable(SpareRuns, &runStart_);
}

void HashChains::Insert(uint32_t pos) {
  if (pos + 3 > size_) return;
  head3_[Hash3(data_ + pos) >> (HashBits - 16)] = pos;
  if (pos + 4 > size_) return;
  uint32_t& head = head_[Hash4(data_ + pos)];
  const uint32_t before = head;
  link_[pos & SlotMask] = before;
  head = pos;
  // Four equal bytes at most four apart: the bytes between repeat with that
  // period, so the whole stretch on the chain is one periodic run.
  uint32_t run = Empty;
  const uint32_t period = pos - before;
  if (before != Empty && period <= 4 && std::memcmp(data_ + before, data_ + pos, 4) == 0) {
    run = before;
    const uint32_t older = link_[before & SlotMask];
    const uint32_t start = runStart_[before & SlotMask];
    if (start != Empty && older != Empty && older < before && before - older == period) run = start;
  }
  runStart_[pos & SlotMask] = run;
}

Match HashChains::Longest(uint32_t pos, uint32_t maxLength, int depth, uint32_t niceLength,
                          int patience) const {
  Match best{0, 0};
  if (maxLength < 3 || pos + 3 > size_) return best;
  const uint8_t* p = data_ + pos;
  uint32_t bestLength = 2;
  const uint32_t near = head3_[Hash3(p) >> (HashBits - 16)];
  if (near != Empty && near < pos && pos - near < MidBonusDistance) {
    const uint32_t length = CommonLength(p, data_ + near, maxLength);
    if (length >= 3) {
      bestLength = std::min(length, MaxNewMatchLength(pos - near));
      best = {bestLength, pos - near};
      if (bestLength >= niceLength || bestLength >= maxLength) return best;
    }
  }
  if (maxLength < 4 || pos + 4 > size_) return best;
  uint32_t candidate = head_[Hash4(p)];
  int fruitless = 0;  // links since the best match so far
  auto consider = [&](uint32_t at) {
    const uint8_t* m = data_ + at;
    // Only a longer match can win: test the byte that would make it so first.
    if (m[bestLength] != p[bestLength] || m[0] != p[0]) return false;
    const uint32_t distance = pos - at;
    const uint32_t length = std::min(CommonLength(p, m, maxLength), MaxNewMatchLength(distance));
    if (length <= bestLength || length < MinNewMatchLength(distance)) return false;
    // Candidates come nearest first. A farther one costs more distance bits;
    // it must win enough bytes to pay for them, else the nearer one stays.
    if (best.length != 0 && length < 32) {
      const int more =
          DistanceBits[DistanceSlot(distance - 1)] - DistanceBits[DistanceSlot(best.distance - 1)];
      if (int(length - bestLength) * FartherMatchBitsPerByte < more) return false;
    }
    bestLength = length;
    best = {length, distance};
    fruitless = 0;
    if (length >= niceLength || length >= maxLength) return true;
    // A good match already: look less far for a better one.
    if (length >= 32 && depth > 4)
      depth /= 4;
    else if (length >= 12 && depth > 16)
      depth /= 2;
    return false;
  };
  while (candidate != Empty && candidate < pos && pos - candidate <= MaxDistance && depth-- > 0) {
    if (consider(candidate) || ++fruitless > patience) break;
    uint32_t next = link_[candidate & SlotMask];
    const uint32_t start = runStart_[candidate & SlotMask];
    if (start != Empty && start < next && pos - start <= MaxDistance) {
      // A periodic run on the chain. Of its positions, those whose run
      // ends sooner after them than the run at pos match shorter; all
      // others match as far as the run at pos lasts, the nearest of them
      // best, and only the one whose run ends exactly there (the same
      // place in the row above, in a picture) may match on past it. That
      // nearest one is the only one looked at.
      const uint32_t period = candidate - next;
      const uint32_t ahead = period + CommonLength(p + period, p, maxLength - period);
      const uint32_t reach =
          period + CommonLength(data_ + candidate + period, data_ + candidate, ahead);
      const uint32_t short_ = ahead - std::min(ahead, reach);
      const uint32_t back = (short_ + period - 1) / period * period;
      if (back > 0 && back <= candidate - start && consider(candidate - back)) break;
      next = link_[start & SlotMask];
      candidate = start;
    }
    if (next >= candidate) break;  // a slot reused by a newer position
    __builtin_prefetch(&link_[next & SlotMask]);
    __builtin_prefetch(data_ + next + bestLength);
    candidate = next;
  }
  return best;
}

BinaryTrees::BinaryTrees(const uint8_t* data, uint32_t size)
    : data_(data),
      size_(size),
      head_(TakeTable(SpareHead, 1u << HashBits)),
      tree_(TakeTable(SpareLinks, 2 * LinkSlots(size))) {}

BinaryTrees::~BinaryTrees() {
  KeepTable(SpareHead, &head_);
  KeepTable(SpareLinks, &tree_);
}

int BinaryTrees::FindAndInsert(uint32_t pos, int depth, uint32_t niceLength, Match* out) {
  if (pos + 3 > size_) return 0;
  uint32_t maxLength = size_ - pos;
  if (maxLength > MaxMatchLength) maxLength = MaxMatchLength;
  if (niceLength > maxLength) niceLength = maxLength;
  const uint8_t* p = data_ + pos;
  uint32_t& head = head_[Hash3(p)];
  uint32_t node = head;
  head = pos;
  uint32_t* pendingLess = &tree_[2 * (pos & SlotMask)];
  uint32_t* pendingGreater = &tree_[2 * (pos & SlotMask) + 1];
  uint32_t lessLength = 0, greaterLength = 0, length = 0, bestLength = 2;
  int count = 0;
  while (node != Empty && node < pos && pos - node <= MaxDistance && depth-- > 0) {
    const uint8_t* m = data_ + node;
    if (m[length] == p[length]) {
      length = length + 1 + CommonLength(p + length + 1, m + length + 1, maxLength - length - 1);
      if (length > bestLength) {
        bestLength = length;
        if (count < MaxMatchesPerPosition) out[count++] = {length, pos - node};
        if (length >= niceLength) {
          // Take over the children of the equal node: pos replaces it.
          *pendingLess = tree_[2 * (node & SlotMask)];
          *pendingGreater = tree_[2 * (node & SlotMask) + 1];
          return count;
        }
      }
    }
    if (m[length] < p[length]) {
      *pendingLess = node;
      pendingLess = &tree_[2 * (node & SlotMask) + 1];
      node = *pendingLess;
      lessLength = length;
    } else {
      *pendingGreater = node;
      pendingGreater = &tree_[2 * (node & SlotMask)];
      node = *pendingGreater;
      greaterLength = length;
    }
    length = lessLength < greaterLength ? lessLength : greaterLength;
  }
  *pendingLess = Empty;
  *pendingGreater = Empty;
  return count;
}

}  // namespace packer
