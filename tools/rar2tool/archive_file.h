// Loading an archive file into memory and walking its headers for the
// details the listing does not carry (flags, data extent).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_image.h"
#include "archive/block_headers.h"

struct LoadedArchive {
  std::vector<uint8_t> bytes;
  ArchiveImage image;
};

// Reads path whole. On failure returns false with a one-line reason.
bool LoadArchiveFile(const std::string& path, LoadedArchive* out, std::string* error);

struct WalkedEntry {
  EntryHeader header;
  uint32_t dataEnd;  // offset of the block after the entry
};

struct ArchiveWalk {
  bool solid;
  uint32_t imageSize;
  std::vector<WalkedEntry> entries;
  bool truncated;  // an entry's data area runs past the end of the file
  bool damaged;    // a header the walk could not step over
};

// Returns false when the image is not an archive at all.
bool WalkArchive(ArchiveImage* image, ArchiveWalk* walk);

bool IsDirectoryEntry(uint8_t hostSystem, uint32_t attributes);
std::string FormatDosTime(uint32_t dosTime);
