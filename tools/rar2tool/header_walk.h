// The tool's own walk over an archive's blocks. Unlike the installer's
// reader it checks every header's CRC, knows the end block, volumes and the
// blocks of later archivers, and says where and why a walk stopped early.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_image.h"
#include "archive/block_headers.h"

enum : uint16_t {
  MainFlagVolume = 0x0001,
  MainFlagComment = 0x0002,
  MainFlagEncryptedHeaders = 0x0080,
  // Set by our packer: the archive closes with an end block, so an archive
  // that ends without one has been cut.
  MainFlagEndBlockWritten = 0x0400,
};

enum : uint16_t {
  EntryFlagFromPreviousVolume = 0x0001,
  EntryFlagIntoNextVolume = 0x0002,
  EntryFlagComment = 0x0008,
};

enum : uint8_t {
  BlockTypeInstallerStop = BlockEnd,  // the installer's walk ends here
  BlockTypeEnd = 0x7B,                // the end block of archivers
};

struct WalkedEntry {
  uint32_t offset;  // where the entry's header begins
  uint16_t flags;
  uint32_t packedSize;
  uint32_t unpackedSize;
  uint8_t hostSystem;
  uint32_t dataCrc;
  uint32_t modifiedTime;
  uint8_t unpackVersion;
  uint8_t method;
  uint32_t attributes;
  std::string name;        // as stored: code page 1251 bytes, backslash separators
  uint64_t dataEnd;        // offset of the block after the entry
  bool pastInstallerStop;  // a block of type 0x77 comes before it
};

enum class WalkEnd {
  Complete,      // the image ends after a whole block, no end block needed
  EndBlock,      // stopped at the end block, nothing after it
  TrailingData,  // bytes follow the end block
  MissingEndBlock,
  Truncated,
  Damaged,
  Unsupported,  // a sound archive this tool cannot walk (encrypted headers)
};

struct ArchiveWalk {
  uint16_t mainFlags = 0;
  bool solid = false;
  bool volume = false;
  bool endBlockWritten = false;
  std::vector<WalkedEntry> entries;
  WalkEnd end = WalkEnd::Complete;
  std::string problem;  // one line; empty when the walk ended soundly
};

// Walks the image. Returns false when it is not an archive at all (no
// marker); otherwise fills walk, whose end says how the walk finished.
bool WalkArchive(const ArchiveImage& image, ArchiveWalk* walk);

// True for an archive whose walk found damage, a cut or trailing bytes.
bool WalkFailed(const ArchiveWalk& walk);

// The file entries' count and unpacked bytes, folders left out.
void CountFiles(const ArchiveWalk& walk, uint64_t* bytes, uint64_t* files);

bool IsDirectoryEntry(uint8_t hostSystem, uint32_t attributes);
inline bool IsDirectoryEntry(const WalkedEntry& e) {
  return IsDirectoryEntry(e.hostSystem, e.attributes);
}
