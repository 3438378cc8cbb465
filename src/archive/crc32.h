// CRC-32 (the reflected IEEE 802.3 polynomial) for data tests and the cipher.
#pragma once

#include <cstdint>

extern uint32_t Crc32Table[256];

void BuildCrc32Table();

// Runs the table over len bytes from crc; no inversion of its own.
uint32_t UpdateCrc32(uint32_t crc, const void* data, uint32_t len);
