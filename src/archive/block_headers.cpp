#include "archive/block_headers.h"

#include "archive/byte_order.h"

namespace {

// Fewer bytes are left than a file header's fixed part. The walk never
// decodes such a tail; it ends there soundly when nothing is left or when
// the tail is one whole block of another kind (the 7-byte end block real
// archivers write), and is cut short otherwise.
WalkStep ShortTailStep(const ArchiveImage& image, uint32_t start) {
  if (start == image.size) return WalkStep::End;
  BlockFields f{};
  // Fewer bytes than any header, or a block before that ran past the end.
  if (!ReadBlockFields(image, start, &f)) return WalkStep::CutShort;
  const bool wholeBlock = f.type != BlockFile && !(f.flags & BlockFlagHasData) &&
                          f.headerSize >= BlockBaseSize && f.next <= image.size;
  return wholeBlock ? WalkStep::End : WalkStep::CutShort;
}

}  // namespace

bool ReadBlockFields(const ArchiveImage& image, uint32_t at, BlockFields* block) {
  if (at > image.size || image.size - at < BlockBaseSize) return false;
  const uint8_t* b = image.data + at;
  block->type = b[HeaderTypeAt];
  block->flags = LoadU16(b + HeaderFlagsAt);
  block->headerSize = LoadU16(b + HeaderSizeAt);
  const bool sized = (block->flags & BlockFlagHasData) && image.size - at >= BlockWithDataSize;
  block->dataSize = sized ? LoadU32(b + DataSizeAt) : 0;
  block->next = uint64_t(at) + block->headerSize + block->dataSize;
  return true;
}

bool OpenArchive(const ArchiveImage& image, ArchiveHeader* header) {
  ArchiveImage at = image;
  at.offset = 0;
  uint8_t marker[MarkerSize];
  if (ReadImage(&at, marker, MarkerSize) != MarkerSize) return false;
  // Anything but one of the two markers is not an archive: without a main
  // header there is nothing to position the walk from.
  if (!IsArchiveMarker(marker)) return false;
  uint8_t b[MainHeaderSize];
  if (ReadImage(&at, b, MainHeaderSize) != MainHeaderSize) return false;
  ArchiveHeader& h = *header;
  h.headerCrc = LoadU16(b + HeaderCrcAt);
  h.blockType = b[HeaderTypeAt];
  h.flags = LoadU16(b + HeaderFlagsAt);
  h.headerSize = LoadU16(b + HeaderSizeAt);
  h.reserved1 = LoadU16(b + MainReserved1At);
  h.reserved2 = LoadU32(b + MainReserved2At);
  return true;
}

WalkStep NextEntryHeader(ArchiveImage* image, WalkedHeader* found) {
  for (;;) {
    const uint32_t start = image->offset;
    uint8_t b[EntryFixedSize];
    if (ReadImage(image, b, EntryFixedSize) != EntryFixedSize) {
      image->offset = start;
      return ShortTailStep(*image, start);
    }
    // The fixed part was read: the block's first fields lie in the image.
    BlockFields f{};
    ReadBlockFields(*image, start, &f);
    const uint32_t next = uint32_t(f.next);
    // A block that claims to end past 4 GiB would send the walk back into
    // the image: no intact archive has one.
    if (f.headerSize < BlockBaseSize || f.next > UINT32_MAX || int32_t(next) <= int32_t(start)) {
      image->offset = start;
      return WalkStep::Damaged;
    }
    if (f.type == BlockSubblock) {
      image->offset = start;
      return WalkStep::Subblock;
    }
    if (f.type != BlockFile) {
      image->offset = next;
      continue;
    }
    // Decoded aside first, so that a walk that ends leaves *found alone.
    EntryHeader h;
    DecodeEntryFields(b, &h);
    if (h.nameLength >= MaxNameLength) h.nameLength = MaxNameLength;
    // A name that runs past the image ends the walk like the image's end.
    if (h.nameLength != 0 && ReadImage(image, h.name, h.nameLength) != h.nameLength) {
      image->offset = start;
      return WalkStep::CutShort;
    }
    h.name[h.nameLength] = '\0';
    // Comments, extra fields or a cut name make the header longer than
    // what was read: the data area begins where the header says it ends.
    const uint32_t dataStart = start + h.headerSize;
    if (dataStart > image->offset) image->offset = dataStart;
    found->entry = h;
    found->nameOffset = start + EntryFixedSize;
    found->nextBlock = next;
    return WalkStep::File;
  }
}
