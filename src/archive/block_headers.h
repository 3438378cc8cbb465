// The main header and the walk from block to block that finds the next file
// header of the current request's image.
#pragma once

#include <cstdint>

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

// Tests the marker at offset 0 and reads the main header into the reader
// state. Returns 1 on success, 0 when the image is not an archive.
int OpenArchive();

// Walks from the current offset to the next file header or to a subblock,
// where every walk of the installer's reader ends. Returns 32 + nameLength
// on a file header (offset then at its data area), 32 on a subblock, and 0
// when the walk fails or runs out of image.
int32_t NextEntryHeader();

// File headers the walks have read since the program started: a figure for
// the benchmarks and the tests that a request never walks back.
extern uint64_t entryHeadersWalked;
