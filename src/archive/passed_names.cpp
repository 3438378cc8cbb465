#include "archive/passed_names.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "archive/block_format.h"

namespace {

// The name comparison looks at no more than this many bytes, and stops at
// a zero byte as a C string does.
constexpr uint32_t ComparedBytes = 511;

uint32_t ComparedLength(const uint8_t* name, uint32_t length) {
  if (length > ComparedBytes) length = ComparedBytes;
  const void* zero = std::memchr(name, 0, length);
  return zero == nullptr ? length : uint32_t(static_cast<const uint8_t*>(zero) - name);
}

uint32_t FoldedHash(const uint8_t* name, uint32_t length) {
  uint32_t h = 2166136261u;  // FNV-1a over the folded bytes
  for (uint32_t i = 0; i < length; i++)
    h = (h ^ uint8_t(FoldEntryNameChar(char(name[i])))) * 16777619u;
  // Mixed, so that the low bits (the slot) and the high ones (the tag)
  // both depend on every byte.
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  return h;
}

bool FoldedEqual(const uint8_t* a, const uint8_t* b, uint32_t length) {
  for (uint32_t i = 0; i < length; i++)
    if (FoldEntryNameChar(char(a[i])) != FoldEntryNameChar(char(b[i]))) return false;
  return true;
}

}  // namespace

void PassedNames::Clear() {
  std::fill(slots_.begin(), slots_.end(), Slot{0, 0, 0});
  count_ = 0;
}

void PassedNames::Release() {
  std::vector<Slot>().swap(slots_);
  count_ = 0;
}

bool PassedNames::Grow(const uint8_t* image) {
  std::vector<Slot> old;
  try {
    old.assign(slots_.empty() ? size_t(1024) : slots_.size() * 2, Slot{0, 0, 0});
  } catch (const std::bad_alloc&) {
    return false;
  }
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& s : old) {
    if (s.offset == 0) continue;
    size_t i = FoldedHash(image + s.offset - 1, s.length) & mask;  // the tag is the same
    while (slots_[i].offset != 0) i = (i + 1) & mask;
    slots_[i] = s;
  }
  return true;
}

bool PassedNames::Note(const uint8_t* image, uint32_t offset, uint32_t length) {
  length = ComparedLength(image + offset, length);
  if ((count_ + 1) * 2 > slots_.size() && !Grow(image)) return false;
  const size_t mask = slots_.size() - 1;
  const uint8_t* name = image + offset;
  const uint32_t hash = FoldedHash(name, length);
  const auto tag = uint16_t(hash >> 16);
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.offset == 0) {
      slots_[i] = Slot{offset + 1, uint16_t(length), tag};
      count_++;
      return true;
    }
    // A name equal to one noted already adds nothing.
    if (s.tag == tag && s.length == length && FoldedEqual(image + s.offset - 1, name, length))
      return true;
  }
}

bool PassedNames::Contains(const uint8_t* image, const char* name) const {
  if (count_ == 0) return false;
  const auto* wanted = reinterpret_cast<const uint8_t*>(name);
  const uint32_t length = ComparedLength(wanted, uint32_t(std::strlen(name)));
  const size_t mask = slots_.size() - 1;
  const uint32_t hash = FoldedHash(wanted, length);
  const auto tag = uint16_t(hash >> 16);
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.offset == 0) return false;
    if (s.tag == tag && s.length == length && FoldedEqual(image + s.offset - 1, wanted, length))
      return true;
  }
}
