// The marker, the main header and the walk from block to block that finds the
// next file header of the current request's image.
#pragma once

#include <cstdint>

enum : uint8_t {
  BlockMain = 0x73,
  BlockFile = 0x74,
  BlockEnd = 0x77,
};

enum : uint16_t {
  MainFlagSolid = 0x0008,
  EntryFlagEncrypted = 0x0004,
  EntryFlagSolid = 0x0010,
  EntryFlagHasData = 0x8000,
};

constexpr uint32_t MarkerSize = 7;
constexpr uint32_t MainHeaderSize = 13;
constexpr uint32_t EntryFixedSize = 32;
constexpr uint32_t MaxNameLength = 259;

struct ArchiveHeader {
  uint16_t headerCrc;
  uint8_t blockType;
  uint16_t flags;
  uint16_t headerSize;
  uint16_t reserved1;
  uint32_t reserved2;
};

struct EntryHeader {
  uint16_t headerCrc;
  uint8_t blockType;
  uint16_t flags;
  uint16_t headerSize;
  uint32_t packedSize;
  uint32_t unpackedSize;
  uint8_t hostSystem;
  uint32_t dataCrc;
  uint32_t modifiedTime;
  uint8_t unpackVersion;
  uint8_t method;
  uint16_t nameLength;
  uint32_t attributes;
  char name[MaxNameLength + 1];
};

// Tests the marker at offset 0 and reads the main header into the reader
// state. Returns 1 on success, 0 when the image is not an archive.
int OpenArchive();

// Walks from the current offset to the next file header or end block.
// Returns 32 + nameLength on a file header (offset then at its data area),
// 32 on an end block, and 0 when the walk fails or runs out of image.
int32_t NextEntryHeader();
