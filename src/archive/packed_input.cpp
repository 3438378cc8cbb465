// Packed bytes of the current entry, for the decompressor and the stored copy.
#include <cstring>

#include "archive/block_format.h"
#include "archive/cipher.h"
#include "archive/reader_state.h"

int32_t ReadPackedData(uint8_t* dest, uint32_t count) {
  if (count == 0) return 0;
  const uint32_t wanted = count < readerState.packedLeft ? count : readerState.packedLeft;
  ArchiveImage* image = readerState.image;
  if (image == nullptr || image->data == nullptr || wanted == 0) return 0;
  const uint32_t got = ReadImage(image, dest, wanted);
  readerState.packedLeft -= got;
  if (readerState.cipherVersion >= Rar20Version) {
    uint32_t pos = 0;
    for (; pos + CipherBlockSize <= got; pos += CipherBlockSize) CipherDecrypt(dest + pos);
    // A chunk cut short by the entry's end: decrypt its partial block aside,
    // so nothing is written past what was handed out.
    if (pos < got) {
      uint8_t tail[CipherBlockSize] = {};
      std::memcpy(tail, dest + pos, got - pos);
      CipherDecrypt(tail);
      std::memcpy(dest + pos, tail, got - pos);
    }
  }
  return int32_t(got);
}
