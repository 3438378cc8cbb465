// CRC-32 (the reflected IEEE 802.3 polynomial) for data tests and the cipher.
#pragma once

#include <cstdint>

// Crc32Table is the classic byte table (the cipher uses it as well);
// Crc32Slices[k] advances a byte followed by k zero bytes, so that sixteen
// bytes are folded in with sixteen independent lookups.
extern uint32_t Crc32Table[256];
extern uint32_t Crc32Slices[16][256];

void BuildCrc32Table();

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
