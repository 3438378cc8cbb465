// CRC-32 (the reflected IEEE 802.3 polynomial) for data tests and the cipher.
#pragma once

#include <cstdint>

// The tables, made by the compiler: Crc32Slices[0] is the classic byte
// table, Crc32Table (the cipher uses it as well); Crc32Slices[k] advances a
// byte followed by k zero bytes, so that sixteen bytes are folded in with
// sixteen independent lookups.
struct Crc32SliceTables {
  uint32_t slice[16][256];
};

constexpr Crc32SliceTables MakeCrc32Slices() {
  Crc32SliceTables t{};
  for (uint32_t i = 0; i < 256; i++) {
    uint32_t c = i;
    for (int k = 0; k < 8; k++) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    t.slice[0][i] = c;
  }
  for (uint32_t i = 0; i < 256; i++) {
    uint32_t c = t.slice[0][i];
    for (int k = 1; k < 16; k++) {
      c = t.slice[0][c & 0xFF] ^ (c >> 8);
      t.slice[k][i] = c;
    }
  }
  return t;
}

inline constexpr Crc32SliceTables crc32SliceTables = MakeCrc32Slices();
inline constexpr const uint32_t (&Crc32Slices)[16][256] = crc32SliceTables.slice;
inline constexpr const uint32_t (&Crc32Table)[256] = crc32SliceTables.slice[0];
static_assert(Crc32Table[1] == 0x77073096u && Crc32Table[128] == 0xEDB88320u &&
                  Crc32Table[255] == 0x2D02EF8Du,
              "the standard reflected table");

// Runs the CRC over len bytes from crc; no inversion of its own. Uses
// carry-less multiplication where the processor has it, the tables
// otherwise; both give the same values.
uint32_t UpdateCrc32(uint32_t crc, const void* data, uint32_t len);

// The table method alone.
uint32_t UpdateCrc32Table(uint32_t crc, const void* data, uint32_t len);

// Whether this processor has carry-less multiplication (and SSE4.1), which
// UpdateCrc32Folded needs; asked once.
bool Crc32CanFold();

// Carry-less multiplication folding 64 bytes a step; only where
// Crc32CanFold() is true.
uint32_t UpdateCrc32Folded(uint32_t crc, const void* data, uint32_t len);

// Whether this processor (and the system) also has carry-less
// multiplication of 256-bit vectors, which UpdateCrc32FoldedWide needs.
bool Crc32CanFoldWide();

// The same folding, 128 bytes a step in 256-bit lanes; only where
// Crc32CanFoldWide() is true.
uint32_t UpdateCrc32FoldedWide(uint32_t crc, const void* data, uint32_t len);
