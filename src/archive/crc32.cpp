#include "archive/crc32.h"

uint32_t Crc32Table[256];
uint32_t Crc32Slices[8][256];

void BuildCrc32Table() {
  for (uint32_t i = 0; i < 256; i++) {
    uint32_t c = i;
    for (int k = 0; k < 8; k++) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    Crc32Table[i] = c;
  }
  for (uint32_t i = 0; i < 256; i++) {
    uint32_t c = Crc32Table[i];
    Crc32Slices[0][i] = c;
    for (int k = 1; k < 8; k++) {
      c = Crc32Table[c & 0xFF] ^ (c >> 8);
      Crc32Slices[k][i] = c;
    }
  }
}

uint32_t UpdateCrc32(uint32_t crc, const void* data, uint32_t len) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  const uint32_t(*t)[256] = Crc32Slices;
  // Eight bytes a step: the first four are mixed with the running value
  // (bytes in little-endian order, whatever the machine's), the next four
  // only shift through their own tables.
  for (; len >= 8; len -= 8, p += 8) {
    const uint32_t lo =
        crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
          t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
  }
  for (; len > 0; len--, p++) crc = Crc32Table[(crc ^ *p) & 0xFF] ^ (crc >> 8);
  return crc;
}
