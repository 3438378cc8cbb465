// Packed bytes of the current entry, for the decompressor and the stored copy.
#include <cstring>

#include "archive/block_format.h"
#include "archive/cipher.h"
#include "archive/reader_handle.h"

int32_t ReadPackedData(ArchiveReader* reader, uint8_t* dest, uint32_t count) {
  ReaderState& r = reader->request;
  if (count == 0) return 0;
  const uint32_t wanted = count < r.packedLeft ? count : r.packedLeft;
  ArchiveImage* image = r.image;
  if (image == nullptr || image->data == nullptr || wanted == 0) return 0;
  const uint32_t got = ReadImage(image, dest, wanted);
  // A read that would pass the image's end hands out nothing: the entry's
  // data were cut short, which its result says.
  if (got == 0) r.packedCut = true;
  r.packedLeft -= got;
  if (r.cipherVersion >= Rar20Version) {
    uint32_t pos = 0;
    for (; pos + CipherBlockSize <= got; pos += CipherBlockSize)
      CipherDecrypt(&reader->cipher, dest + pos);
    // A chunk cut short by the entry's end: decrypt its partial block aside,
    // so nothing is written past what was handed out.
    if (pos < got) {
      uint8_t tail[CipherBlockSize] = {};
      std::memcpy(tail, dest + pos, got - pos);
      CipherDecrypt(&reader->cipher, tail);
      std::memcpy(dest + pos, tail, got - pos);
    }
  }
  return int32_t(got);
}

uint32_t NextPackedSpan(void* context, const uint8_t** data) {
  ArchiveReader* reader = static_cast<ArchiveReader*>(context);
  ReaderState& r = reader->request;
  ArchiveImage* image = r.image;
  if (r.packedLeft == 0 || image == nullptr || image->data == nullptr) return 0;
  if (r.cipherVersion >= Rar20Version) {
    const int32_t n = ReadPackedData(reader, reader->decrypted, sizeof reader->decrypted);
    *data = reader->decrypted;
    return n > 0 ? uint32_t(n) : 0;
  }
  // Plain bytes are read where they lie in the image, all in one span.
  const uint32_t n = ReadImageSpan(image, r.packedLeft, data);
  r.packedLeft = 0;
  return n;
}

void LimitPackedToImage(ReaderState* r) {
  const ArchiveImage* image = r->image;
  const uint32_t available =
      image == nullptr || image->offset > image->size ? 0 : image->size - image->offset;
  if (r->packedLeft > available) {
    r->packedLeft = available;
    r->packedCut = true;
  }
}
