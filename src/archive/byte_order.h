// Little-endian fields assembled byte by byte, whatever the alignment, and
// stored or appended byte by byte by the writers of archives and test files:
// the one loader and the one writer of the program and its tools.
#pragma once

#include <cstdint>
#include <vector>

inline uint16_t LoadU16(const uint8_t* p) {
  return uint16_t(p[0] | p[1] << 8);
}

inline uint32_t LoadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void StoreU16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

inline void StoreU32(uint8_t* p, uint32_t v) {
  StoreU16(p, v & 0xFFFF);
  StoreU16(p + 2, v >> 16);
}

inline void AppendU16(std::vector<uint8_t>* b, uint32_t v) {
  b->push_back(uint8_t(v));
  b->push_back(uint8_t(v >> 8));
}

inline void AppendU32(std::vector<uint8_t>* b, uint32_t v) {
  AppendU16(b, v & 0xFFFF);
  AppendU16(b, v >> 16);
}
