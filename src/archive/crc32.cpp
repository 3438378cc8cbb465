#include "archive/crc32.h"

uint32_t Crc32Table[256];

void BuildCrc32Table() {
  for (uint32_t i = 0; i < 256; i++) {
    uint32_t c = i;
    for (int k = 0; k < 8; k++) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    Crc32Table[i] = c;
  }
}

uint32_t UpdateCrc32(uint32_t crc, const void* data, uint32_t len) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  for (uint32_t i = 0; i < len; i++) crc = Crc32Table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}
