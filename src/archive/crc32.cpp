#include "archive/crc32.h"

#include "archive/byte_order.h"

uint32_t UpdateCrc32Table(uint32_t crc, const void* data, uint32_t len) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  const uint32_t(*t)[256] = Crc32Slices;
  // Sixteen bytes a step: the first four are mixed with the running value
  // (bytes in little-endian order, whatever the machine's), the other twelve
  // only shift through their own tables; the sixteen lookups are
  // independent of each other, and only four wait for the last step.
  for (; len >= 16; len -= 16, p += 16) {
    const uint32_t a = crc ^ LoadU32(p);
    const uint32_t b = LoadU32(p + 4);
    const uint32_t c = LoadU32(p + 8);
    const uint32_t d = LoadU32(p + 12);
    crc = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
          t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
          t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
          t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
  }
  for (; len > 0; len--, p++) crc = Crc32Table[(crc ^ *p) & 0xFF] ^ (crc >> 8);
  return crc;
}

uint32_t UpdateCrc32(uint32_t crc, const void* data, uint32_t len) {
  static const bool fold = Crc32CanFold(), wide = Crc32CanFoldWide();
  // Short ranges gain nothing from the vector set-up.
  if (wide && len >= 256) return UpdateCrc32FoldedWide(crc, data, len);
  if (fold && len >= 64) return UpdateCrc32Folded(crc, data, len);
  return UpdateCrc32Table(crc, data, len);
}
