// The archive cipher of unpack version 20: a 16-byte block cipher whose
// substitution table and four key words come from a password, the keys
// changing after every block.
#pragma once

#include <cstdint>

constexpr uint32_t CipherBlockSize = 16;
// The longest password the key set-up takes; the reader and the packer
// hold and accept no longer one.
constexpr uint32_t MaxPasswordLength = 255;

struct CipherState {
  uint32_t keys[4];
  uint8_t substitution[256];
};

extern const uint8_t InitialSubstitution[256];

// Derives keys and substitution from a NUL-terminated password (at most 255
// bytes are used). Needs Crc32Table.
void SetCipherPassword(CipherState* c, const char* password);

// The state the last password derived, so that the entries of an archive,
// each of which starts from that state, derive it once: the set-up swaps
// bytes some hundred thousand times for a password of eight.
struct CipherKeyCache {
  bool held;
  char password[MaxPasswordLength + 1];
  CipherState start;
};

// Sets c to the state the NUL-terminated password derives (as
// SetCipherPassword), derived afresh only when the cache holds another
// password's.
void StartCipher(CipherState* c, CipherKeyCache* cache, const char* password);
// Wipes the cache, the password with it.
void ForgetCipherKeys(CipherKeyCache* cache);
void CipherEncrypt(CipherState* c, uint8_t block[16]);
void CipherDecrypt(CipherState* c, uint8_t block[16]);
void CipherMixKeys(CipherState* c, const uint8_t bytes[16]);
