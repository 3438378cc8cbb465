// Little-endian fields assembled byte by byte, whatever the alignment, and
// appended byte by byte by the writers of archives and test files.
#pragma once

#include <cstdint>
#include <vector>

inline uint16_t LoadU16(const uint8_t* p) {
  return uint16_t(p[0] | p[1] << 8);
}

inline uint32_t LoadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void AppendU16(std::vector<uint8_t>* b, uint32_t v) {
  b->push_back(uint8_t(v));
  b->push_back(uint8_t(v >> 8));
}

inline void AppendU32(std::vector<uint8_t>* b, uint32_t v) {
  AppendU16(b, v & 0xFFFF);
  AppendU16(b, v >> 16);
}
