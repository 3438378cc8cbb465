// The names of the entries a walk has passed since the first one, kept as
// where each lies in the image: an open-addressed table of offsets and
// lengths, hashed and compared by the folded name, so that each name costs
// a few bytes however long it is and a request asks in constant time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class PassedNames {
 public:
  void Clear();
  // Releases the table's memory as well.
  void Release();
  // Notes the name of length bytes at offset in image; false when memory
  // ran out (the table then no longer knows every name).
  bool Note(const uint8_t* image, uint32_t offset, uint32_t length);
  // Whether a noted name compares equal to name (the image the same).
  bool Contains(const uint8_t* image, const char* name) const;

 private:
  struct Slot {
    uint32_t offset;  // 0: empty; the name's offset plus one otherwise
    uint16_t length;
    uint16_t tag;  // the hash's high bits: most other names differ there
  };
  bool Grow(const uint8_t* image);
  std::vector<Slot> slots_;  // a power of two, at most half full
  size_t count_ = 0;
};
