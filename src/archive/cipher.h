// The archive cipher of unpack version 20: a 16-byte block cipher whose
// substitution table and four key words come from a password, the keys
// changing after every block.
#pragma once

#include <cstdint>

struct CipherState {
  uint32_t keys[4];
  uint8_t substitution[256];
};

extern CipherState cipherState;
extern const uint8_t InitialSubstitution[256];

// Derives keys and substitution from a NUL-terminated password (at most 255
// bytes are used). Needs Crc32Table.
void SetCipherPassword(const char* password);
void CipherEncrypt(uint8_t block[16]);
void CipherDecrypt(uint8_t block[16]);
void CipherMixKeys(const uint8_t bytes[16]);
