// The main header and the walk from block to block that finds the next file
// header of the current request's image.
#pragma once

#include <cstdint>

#include "archive/archive_image.h"
#include "archive/block_format.h"

struct ArchiveHeader {
  uint16_t headerCrc;
  uint8_t blockType;
  uint16_t flags;
  uint16_t headerSize;
  uint16_t reserved1;
  uint32_t reserved2;
};

// The reader's current entry: the header's fields and its name, cut to
// MaxNameLength bytes and NUL-terminated.
struct EntryHeader : EntryFields {
  char name[MaxNameLength + 1];
};

// A block's first fields as they stand at an offset, for every walk over the
// blocks (the installer's reader's and rar2tool's): its type, flags and
// header size, the size of its data when it has data, and where the block
// after it begins (past 4 GiB in a damaged one).
struct BlockFields {
  uint8_t type;
  uint16_t flags;
  uint32_t headerSize;
  uint64_t dataSize;  // 0 without data, or when the field lies past the image's end
  uint64_t next;
};

// False when fewer bytes than the four first fields lie at `at`.
bool ReadBlockFields(const ArchiveImage& image, uint32_t at, BlockFields* block);

// A file header as the walk found it: the header, where its name lies in
// the image, and where the block after it begins.
struct WalkedHeader {
  EntryHeader entry;
  uint32_t nameOffset;
  uint32_t nextBlock;
};

// What one step of the walk came to.
enum class WalkStep {
  File,      // a file header: the image's offset stands at its data area
  Subblock,  // a subblock, where every walk of the installer's reader ends
  End,       // the image ends after a whole block
  CutShort,  // a header or a name runs past the image's end
  Damaged,   // a header too small to hold itself, or one that points back
};

// Tests the marker at offset 0 and reads the main header. Returns false when
// the image is not an archive (no marker, or no main header after it).
bool OpenArchive(const ArchiveImage& image, ArchiveHeader* header);

// Walks from the image's offset to the next file header or to a subblock,
// passing over every other block. On File, *found holds the header and the
// offset stands at its data area; on anything else *found is untouched and
// the offset stands at the block the walk stopped at.
WalkStep NextEntryHeader(ArchiveImage* image, WalkedHeader* found);
