#include "archive/cipher.h"

#include <cstring>

#include "archive/byte_order.h"
#include "archive/crc32.h"

const uint8_t InitialSubstitution[256] = {
    215, 19,  149, 35,  73,  197, 192, 205, 249, 28,  16,  119, 48,  221, 2,   42,  232, 1,   177,
    233, 14,  88,  219, 25,  223, 195, 244, 90,  87,  239, 153, 137, 255, 199, 147, 70,  92,  66,
    246, 13,  216, 40,  62,  29,  217, 230, 86,  6,   71,  24,  171, 196, 101, 113, 218, 123, 93,
    91,  163, 178, 202, 67,  44,  235, 107, 250, 75,  234, 49,  167, 125, 211, 83,  114, 157, 144,
    32,  193, 143, 36,  158, 124, 247, 187, 89,  214, 141, 47,  121, 228, 61,  130, 213, 194, 174,
    251, 97,  110, 54,  229, 115, 57,  152, 94,  105, 243, 212, 55,  209, 245, 63,  11,  164, 200,
    31,  156, 81,  176, 227, 21,  76,  99,  139, 188, 127, 17,  248, 51,  207, 120, 189, 210, 8,
    226, 41,  72,  183, 203, 135, 165, 166, 60,  98,  7,   122, 38,  155, 170, 69,  172, 252, 238,
    39,  134, 59,  128, 236, 27,  240, 80,  131, 3,   85,  206, 145, 79,  154, 142, 159, 220, 201,
    133, 74,  64,  20,  129, 224, 185, 138, 103, 173, 182, 43,  34,  254, 82,  198, 151, 231, 180,
    58,  10,  118, 26,  102, 12,  50,  132, 22,  191, 136, 111, 162, 179, 45,  4,   148, 108, 161,
    56,  78,  126, 242, 222, 15,  175, 146, 23,  33,  241, 181, 190, 77,  225, 0,   46,  169, 186,
    68,  95,  237, 65,  53,  208, 253, 168, 9,   18,  100, 52,  116, 184, 160, 96,  109, 37,  30,
    106, 140, 104, 150, 5,   204, 117, 112, 84,
};

namespace {

uint32_t Rotl(uint32_t x, int n) {
  return (x << n) | (x >> (32 - n));
}

uint32_t Substitute(const CipherState& c, uint32_t x) {
  const uint8_t* s = c.substitution;
  return uint32_t(s[x & 0xFF]) | uint32_t(s[(x >> 8) & 0xFF]) << 8 |
         uint32_t(s[(x >> 16) & 0xFF]) << 16 | uint32_t(s[x >> 24]) << 24;
}

// The 32 rounds; decryption runs the same rounds with the key order reversed.
void RunRounds(const CipherState& c, uint8_t block[16], bool decrypt) {
  const uint32_t* k = c.keys;
  uint32_t w0 = LoadU32(block) ^ k[0];
  uint32_t w1 = LoadU32(block + 4) ^ k[1];
  uint32_t w2 = LoadU32(block + 8) ^ k[2];
  uint32_t w3 = LoadU32(block + 12) ^ k[3];
  for (int n = 0; n < 32; n++) {
    const int i = decrypt ? 31 - n : n;
    const uint32_t key = k[i & 3];
    const uint32_t t = (Rotl(w3, 11) + w2) ^ key;
    const uint32_t u = (Rotl(w2, 17) ^ w3) + key;
    const uint32_t n0 = w2, n1 = w3;
    w2 = w0 ^ Substitute(c, t);
    w3 = w1 ^ Substitute(c, u);
    w0 = n0;
    w1 = n1;
  }
  StoreU32(block, w2 ^ k[0]);
  StoreU32(block + 4, w3 ^ k[1]);
  StoreU32(block + 8, w0 ^ k[2]);
  StoreU32(block + 12, w1 ^ k[3]);
}

}  // namespace

void StartCipher(CipherState* c, CipherKeyCache* cache, const char* password) {
  // Only the bytes the set-up takes decide the state.
  if (!cache->held || std::strncmp(cache->password, password, MaxPasswordLength) != 0) {
    ForgetCipherKeys(cache);
    SetCipherPassword(&cache->start, password);
    std::strncpy(cache->password, password, MaxPasswordLength);
    cache->held = true;
  }
  *c = cache->start;
}

void ForgetCipherKeys(CipherKeyCache* cache) {
  std::memset(cache, 0, sizeof *cache);
}

void CipherMixKeys(CipherState* c, const uint8_t bytes[16]) {
  for (int g = 0; g < 4; g++)
    for (int i = 0; i < 4; i++) c->keys[i] ^= Crc32Table[bytes[4 * g + i]];
}

void CipherEncrypt(CipherState* c, uint8_t block[16]) {
  RunRounds(*c, block, false);
  CipherMixKeys(c, block);
}

void CipherDecrypt(CipherState* c, uint8_t block[16]) {
  uint8_t encrypted[16];
  std::memcpy(encrypted, block, 16);
  RunRounds(*c, block, true);
  CipherMixKeys(c, encrypted);
}

void SetCipherPassword(CipherState* c, const char* password) {
  static const uint32_t startKeys[4] = {0xD3A3B879u, 0x3F6D12F7u, 0x7515A235u, 0xA4E7F123u};
  std::memcpy(c->keys, startKeys, sizeof startKeys);

  // One spare byte so that an odd length of 255 can pair its last byte with 0.
  uint8_t work[MaxPasswordLength + 2] = {};
  static_assert(
      sizeof work >= (MaxPasswordLength + CipherBlockSize) / CipherBlockSize * CipherBlockSize,
      "the last block encrypted lies in the work buffer");
  uint32_t length = 0;
  while (length < MaxPasswordLength && password[length] != '\0') {
    work[length] = uint8_t(password[length]);
    length++;
  }
  std::memcpy(c->substitution, InitialSubstitution, 256);

  uint8_t* s = c->substitution;
  for (uint32_t j = 0; j < 256; j++) {
    for (uint32_t i = 0; i < length; i += 2) {
      const uint8_t x = uint8_t(Crc32Table[(work[i + 1] + j) & 0xFF]);
      uint8_t y = uint8_t(Crc32Table[(work[i] - j) & 0xFF]);
      for (uint32_t k = 1; y != x; k++) {
        const uint8_t other = uint8_t(y + i + k);
        const uint8_t tmp = s[y];
        s[y] = s[other];
        s[other] = tmp;
        y = uint8_t(y + 1);
      }
    }
  }
  for (uint32_t i = 0; i < length; i += CipherBlockSize) CipherEncrypt(c, work + i);
}
