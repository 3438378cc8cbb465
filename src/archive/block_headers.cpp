#include "archive/block_headers.h"

#include <cstring>

#include "archive/byte_order.h"
#include "archive/reader_state.h"

namespace {

const uint8_t RarMarker[MarkerSize] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
const uint8_t UniqueMarker[MarkerSize] = {0x55, 0x6E, 0x69, 0x71, 0x75, 0x45, 0x21};

void DecodeEntryFields(const uint8_t* b, EntryHeader* e) {
  e->headerCrc = LoadU16(b + 0);
  e->blockType = b[2];
  e->flags = LoadU16(b + 3);
  e->headerSize = LoadU16(b + 5);
  e->packedSize = LoadU32(b + 7);
  e->unpackedSize = LoadU32(b + 11);
  e->hostSystem = b[15];
  e->dataCrc = LoadU32(b + 16);
  e->modifiedTime = LoadU32(b + 20);
  e->unpackVersion = b[24];
  e->method = b[25];
  e->nameLength = LoadU16(b + 26);
  e->attributes = LoadU32(b + 28);
}

}  // namespace

int OpenArchive() {
  ArchiveImage* image = readerState.image;
  uint8_t marker[MarkerSize];
  if (ReadImage(image, marker, MarkerSize) != MarkerSize) return 0;
  // Anything but one of the two markers is not an archive: without a main
  // header there is nothing to position the walk from.
  if (std::memcmp(marker, RarMarker, MarkerSize) != 0 &&
      std::memcmp(marker, UniqueMarker, MarkerSize) != 0)
    return 0;
  uint8_t b[MainHeaderSize];
  if (ReadImage(image, b, MainHeaderSize) != MainHeaderSize) return 0;
  ArchiveHeader& h = readerState.archiveHeader;
  h.headerCrc = LoadU16(b + 0);
  h.blockType = b[2];
  h.flags = LoadU16(b + 3);
  h.headerSize = LoadU16(b + 5);
  h.reserved1 = LoadU16(b + 7);
  h.reserved2 = LoadU32(b + 9);
  return 1;
}

int32_t NextEntryHeader() {
  ArchiveImage* image = readerState.image;
  for (;;) {
    const uint32_t start = image->offset;
    uint8_t b[EntryFixedSize];
    if (ReadImage(image, b, EntryFixedSize) != EntryFixedSize) {
      image->offset = start;
      return 0;
    }
    // Decoded aside first, so that a walk that ends keeps the current entry.
    EntryHeader h;
    DecodeEntryFields(b, &h);
    if (h.headerSize < 7) return 0;
    uint32_t next = start + h.headerSize;
    if (h.flags & EntryFlagHasData) next += h.packedSize;
    if (int32_t(next) <= int32_t(start)) return 0;

    if (h.blockType == BlockFile) {
      if (h.nameLength >= MaxNameLength) h.nameLength = MaxNameLength;
      // A name that runs past the image ends the walk like the image's end.
      if (h.nameLength != 0 && ReadImage(image, h.name, h.nameLength) != h.nameLength) {
        image->offset = start;
        return 0;
      }
      h.name[h.nameLength] = '\0';
      // Comments, extra fields or a cut name make the header longer than
      // what was read: the data area begins where the header says it ends.
      const uint32_t dataStart = start + h.headerSize;
      if (dataStart > image->offset) image->offset = dataStart;
      readerState.entry = h;
      readerState.nextBlock = next;
      return int32_t(EntryFixedSize + h.nameLength);
    }
    readerState.nextBlock = next;
    if (h.blockType == BlockEnd) {
      image->offset = start;
      readerState.entry.blockType = BlockEnd;
      return int32_t(EntryFixedSize);
    }
    image->offset = next;
  }
}
