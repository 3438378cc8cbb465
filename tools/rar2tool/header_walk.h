// The tool's walk over an archive's blocks, on the reader's own block
// fields. Unlike the installer's walk it checks every header's CRC, knows
// the end block, volumes and the blocks of later archivers, and says where
// and why a walk stopped early.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_image.h"
#include "archive/block_format.h"

// A file header as the tool walked it: its fields (nameLength as stored),
// its whole name and where it lies.
struct WalkedEntry : EntryFields {
  uint32_t offset;         // where the entry's header begins
  std::string name;        // as stored: code page 1251 bytes, backslash separators
  uint64_t dataEnd;        // offset of the block after the entry
  bool pastInstallerStop;  // a subblock comes before it, where the installer's walk ends
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
