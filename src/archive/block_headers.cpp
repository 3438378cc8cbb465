#include "archive/block_headers.h"

#include "archive/byte_order.h"
#include "archive/reader_state.h"

uint64_t entryHeadersWalked = 0;

int OpenArchive() {
  ArchiveImage* image = readerState.image;
  uint8_t marker[MarkerSize];
  if (ReadImage(image, marker, MarkerSize) != MarkerSize) return 0;
  // Anything but one of the two markers is not an archive: without a main
  // header there is nothing to position the walk from.
  if (!IsArchiveMarker(marker)) return 0;
  uint8_t b[MainHeaderSize];
  if (ReadImage(image, b, MainHeaderSize) != MainHeaderSize) return 0;
  ArchiveHeader& h = readerState.archiveHeader;
  h.headerCrc = LoadU16(b + HeaderCrcAt);
  h.blockType = b[HeaderTypeAt];
  h.flags = LoadU16(b + HeaderFlagsAt);
  h.headerSize = LoadU16(b + HeaderSizeAt);
  h.reserved1 = LoadU16(b + MainReserved1At);
  h.reserved2 = LoadU32(b + MainReserved2At);
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
    if (h.headerSize < BlockBaseSize) return 0;
    uint32_t next = start + h.headerSize;
    if (h.flags & BlockFlagHasData) next += h.packedSize;
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
      readerState.entryNameOffset = start + EntryFixedSize;
      readerState.nextBlock = next;
      entryHeadersWalked++;
      return int32_t(EntryFixedSize + h.nameLength);
    }
    readerState.nextBlock = next;
    if (h.blockType == BlockSubblock) {
      image->offset = start;
      readerState.entry.blockType = BlockSubblock;
      return int32_t(EntryFixedSize);
    }
    image->offset = next;
  }
}
