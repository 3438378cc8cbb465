// The RAR 2.x block format as the installer's reader, the packer and
// rar2tool all read or write it: the marker, the block types and flags, the
// layout of the headers, and the fold under which entry names are equal.
// Multi-byte fields are little-endian (archive/byte_order.h).
#pragma once

#include <cstdint>
#include <cstring>

#include "archive/byte_order.h"
#include "archive/crc32.h"

// The first bytes of an archive: "Rar!" 1A 07 00, or "UniquE!", which
// readers take the same way.
constexpr uint32_t MarkerSize = 7;
inline constexpr uint8_t RarMarker[MarkerSize] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
inline constexpr uint8_t UniqueMarker[MarkerSize] = {0x55, 0x6E, 0x69, 0x71, 0x75, 0x45, 0x21};

inline bool IsArchiveMarker(const uint8_t* bytes) {
  return std::memcmp(bytes, RarMarker, MarkerSize) == 0 ||
         std::memcmp(bytes, UniqueMarker, MarkerSize) == 0;
}

enum : uint8_t {
  BlockMain = 0x73,
  BlockFile = 0x74,
  // An old-style subblock. The installer's walk ends at one, as at the end
  // of the image, whatever follows it.
  BlockSubblock = 0x77,
  BlockArchiveEnd = 0x7B,  // written after the last entry
};

// Flags every block may carry.
enum : uint16_t {
  // A reader that does not know the block's type passes over it.
  BlockFlagSkipIfUnknown = 0x4000,
  // A data area of DataSizeAt's size follows the header.
  BlockFlagHasData = 0x8000,
};

enum : uint16_t {
  MainFlagVolume = 0x0001,
  MainFlagComment = 0x0002,
  MainFlagSolid = 0x0008,
  MainFlagEncryptedHeaders = 0x0080,
  // Set by our packer: the archive closes with an end block, so an archive
  // that ends without one has been cut.
  MainFlagEndBlockWritten = 0x0400,
};

enum : uint16_t {
  EntryFlagFromPreviousVolume = 0x0001,
  EntryFlagIntoNextVolume = 0x0002,
  EntryFlagEncrypted = 0x0004,
  EntryFlagComment = 0x0008,
  // The entry continues the decoder state that the previous entry left.
  EntryFlagSolid = 0x0010,
  // The dictionary bits: 0x0080 is a window of 1 MiB, all three set a
  // folder. The installer's reader ignores them: its window is 1 MiB.
  EntryFlagWindowBits = 0x00E0,
  EntryFlagWindow1M = 0x0080,
  EntryFlagDirectory = 0x00E0,
};
static_assert((EntryFlagWindow1M & ~EntryFlagWindowBits) == 0 &&
                  (EntryFlagDirectory & ~EntryFlagWindowBits) == 0,
              "the window and the folder are values of the dictionary bits");

// Where the fields lie, from a block's first byte. Every header begins with
// the first four; a block with BlockFlagHasData has its data size next.
constexpr uint32_t HeaderCrcAt = 0;    // u16: see BlockHeaderCrc
constexpr uint32_t HeaderTypeAt = 2;   // u8
constexpr uint32_t HeaderFlagsAt = 3;  // u16
constexpr uint32_t HeaderSizeAt = 5;   // u16: the whole header, its name included
constexpr uint32_t BlockBaseSize = 7;  // a header of these four fields alone
constexpr uint32_t DataSizeAt = 7;     // u32
constexpr uint32_t BlockWithDataSize = 11;
static_assert(HeaderTypeAt == HeaderCrcAt + 2 && HeaderFlagsAt == HeaderTypeAt + 1 &&
                  HeaderSizeAt == HeaderFlagsAt + 2 && BlockBaseSize == HeaderSizeAt + 2,
              "the four fields every header begins with, one after another");
static_assert(DataSizeAt == BlockBaseSize && BlockWithDataSize == DataSizeAt + 4,
              "the data size follows them");

// A header's CRC: the low half of the CRC-32 of its size bytes from the
// type on. Readers may pass over it; the packer and rar2tool do not.
inline uint16_t BlockHeaderCrc(const uint8_t* block, uint32_t size) {
  return uint16_t(~UpdateCrc32(0xFFFFFFFFu, block + HeaderTypeAt, size - HeaderTypeAt));
}

// The main header, after the marker: the four fields and two reserved ones.
constexpr uint32_t MainReserved1At = 7;  // u16
constexpr uint32_t MainReserved2At = 9;  // u32
constexpr uint32_t MainHeaderSize = 13;
static_assert(MainReserved1At == BlockBaseSize && MainReserved2At == MainReserved1At + 2 &&
                  MainHeaderSize == MainReserved2At + 4,
              "the main header's fields, one after another");

// A file header: the four fields, then these, then the name.
constexpr uint32_t EntryPackedSizeAt = DataSizeAt;  // u32: the data area
constexpr uint32_t EntryUnpackedSizeAt = 11;        // u32
constexpr uint32_t EntryHostSystemAt = 15;          // u8
constexpr uint32_t EntryDataCrcAt = 16;             // u32: CRC-32 of the contents
constexpr uint32_t EntryTimeAt = 20;                // u32: MS-DOS date and time
constexpr uint32_t EntryVersionAt = 24;             // u8: version needed to unpack
constexpr uint32_t EntryMethodAt = 25;              // u8
constexpr uint32_t EntryNameLengthAt = 26;          // u16
constexpr uint32_t EntryAttributesAt = 28;          // u32
constexpr uint32_t EntryFixedSize = 32;             // the name begins here
static_assert(EntryUnpackedSizeAt == EntryPackedSizeAt + 4 &&
                  EntryHostSystemAt == EntryUnpackedSizeAt + 4 &&
                  EntryDataCrcAt == EntryHostSystemAt + 1 && EntryTimeAt == EntryDataCrcAt + 4 &&
                  EntryVersionAt == EntryTimeAt + 4 && EntryMethodAt == EntryVersionAt + 1 &&
                  EntryNameLengthAt == EntryMethodAt + 1 &&
                  EntryAttributesAt == EntryNameLengthAt + 2 &&
                  EntryFixedSize == EntryAttributesAt + 4,
              "the file header's fields, one after another, as the packer appends them");

// The longest name the installer's reader takes (its buffer holds it and a
// NUL); the packer writes none longer, so that every entry can be found.
constexpr uint32_t MaxNameLength = 259;
static_assert(EntryFixedSize + MaxNameLength <= 0xFFFF, "the header's size field holds any name");

// The system an entry was archived on, which says how to read attributes.
enum : uint8_t {
  HostMsDos = 0,
  HostOs2 = 1,
  HostWin32 = 2,
  HostUnix = 3,
};

// Attributes of the DOS and Windows hosts (the installer tests the folder
// bit whatever the host), and the Unix host's mode bits.
constexpr uint32_t AttributeDirectory = 0x10;
constexpr uint32_t AttributeArchive = 0x20;
constexpr uint32_t UnixModeTypeBits = 0xF000;
constexpr uint32_t UnixModeDirectory = 0x4000;

// Version needed to unpack: 20 is RAR 2.0's compression and cipher, the
// ones this program has; the reader takes entries from version 13 on.
constexpr uint8_t Rar20Version = 20;
constexpr uint8_t OldestUnpackVersion = 13;

inline bool UnpackVersionReadable(uint8_t version) {
  return version >= OldestUnpackVersion && version <= Rar20Version;
}

// The method byte: stored, or compressed from fastest to best.
constexpr uint8_t MethodStored = 0x30;
constexpr uint8_t MethodFastest = 0x31;
constexpr uint8_t MethodBest = 0x35;
static_assert(MethodFastest == MethodStored + 1 && MethodBest == MethodStored + 5,
              "method 0x30 + n is level n of 0..5");

// The fixed part of a file header, field by field.
struct EntryFields {
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
};

// Decodes EntryFixedSize bytes with the file header's layout.
inline void DecodeEntryFields(const uint8_t* b, EntryFields* e) {
  e->headerCrc = LoadU16(b + HeaderCrcAt);
  e->blockType = b[HeaderTypeAt];
  e->flags = LoadU16(b + HeaderFlagsAt);
  e->headerSize = LoadU16(b + HeaderSizeAt);
  e->packedSize = LoadU32(b + EntryPackedSizeAt);
  e->unpackedSize = LoadU32(b + EntryUnpackedSizeAt);
  e->hostSystem = b[EntryHostSystemAt];
  e->dataCrc = LoadU32(b + EntryDataCrcAt);
  e->modifiedTime = LoadU32(b + EntryTimeAt);
  e->unpackVersion = b[EntryVersionAt];
  e->method = b[EntryMethodAt];
  e->nameLength = LoadU16(b + EntryNameLengthAt);
  e->attributes = LoadU32(b + EntryAttributesAt);
}

// The comparable form of one byte of an entry name: separators and
// underscore alike, ASCII letters upper case, every other byte kept. The
// reader's lookup and the packer's check that names stay apart both fold
// with it, so that the packer refuses exactly the names the reader would
// confuse.
inline char FoldEntryNameChar(char c) {
  if (c == '\\' || c == '/') return '_';
  if (c >= 'a' && c <= 'z') return char(c - 'a' + 'A');
  return c;
}
