#include "archive_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "archive/reader_state.h"
#include "pe_resource.h"

bool LoadArchiveFile(const std::string& path, LoadedArchive* out, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  out->bytes.clear();
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    out->bytes.insert(out->bytes.end(), chunk, chunk + n);
    if (out->bytes.size() > 0xFFFFFFFFull) {
      std::fclose(f);
      *error = path + ": too large for an archive image";
      return false;
    }
  }
  const bool failed = std::ferror(f) != 0;
  const int readErrno = errno;
  std::fclose(f);
  if (failed) {
    *error = path + ": " + std::strerror(readErrno);
    return false;
  }
  out->image.data = out->bytes.empty() ? nullptr : out->bytes.data();
  out->image.size = uint32_t(out->bytes.size());
  out->image.offset = 0;
  // A built Setup.exe carries its archive as resource RARFILE 105.
  uint32_t at = 0, size = 0;
  std::string reason;
  switch (FindPeResource(out->image.data, out->image.size, "RARFILE", 105, &at, &size, &reason)) {
    case PeLookup::NotPe:
      break;
    case PeLookup::Found:
      out->image.data = out->bytes.data() + at;
      out->image.size = size;
      break;
    case PeLookup::Missing:
    case PeLookup::Damaged:
      *error = path + ": " + reason;
      return false;
  }
  return true;
}

namespace {

// The walk never decodes the last 31 bytes; an intact archive ends there
// with nothing or with whole small blocks (an end block is 7 bytes).
bool IsWholeShortBlock(const uint8_t* p, uint32_t left) {
  while (left > 0) {
    if (left < 7) return false;
    const uint32_t headerSize = uint32_t(p[5] | p[6] << 8);
    if (headerSize < 7 || headerSize > left) return false;
    p += headerSize;
    left -= headerSize;
  }
  return true;
}

}  // namespace

bool WalkArchive(ArchiveImage* image, ArchiveWalk* walk) {
  *walk = ArchiveWalk{};
  readerState.image = image;
  image->offset = 0;
  if (image->data == nullptr || image->size < MarkerSize || !OpenArchive()) return false;
  walk->imageSize = image->size;
  walk->solid = (readerState.archiveHeader.flags & MainFlagSolid) != 0;
  image->offset = MarkerSize + readerState.archiveHeader.headerSize;
  for (;;) {
    const uint32_t before = image->offset;
    const int32_t result = NextEntryHeader();
    if (result <= 0) {
      const uint32_t left = image->size > before ? image->size - before : 0;
      if (left >= EntryFixedSize)
        walk->damaged = true;
      else if (!IsWholeShortBlock(image->data + before, left))
        walk->truncated = true;
      break;
    }
    if (readerState.entry.blockType == BlockEnd) break;
    walk->entries.push_back({readerState.entry, readerState.nextBlock});
    if (readerState.nextBlock > image->size) walk->truncated = true;
    image->offset = readerState.nextBlock;
  }
  image->offset = 0;
  return true;
}

bool IsDirectoryEntry(uint8_t hostSystem, uint32_t attributes) {
  if (hostSystem == 3) return (attributes & 0xF000) == 0x4000;  // Unix mode bits
  return (attributes & 0x10) != 0;
}

std::string FormatDosTime(uint32_t t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (t >> 25),
                (t >> 21) & 15, (t >> 16) & 31, (t >> 11) & 31, (t >> 5) & 63, (t & 31) * 2);
  return text;
}
