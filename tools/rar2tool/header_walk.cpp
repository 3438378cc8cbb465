#include "header_walk.h"

#include <cstdio>

#include "archive/block_headers.h"
#include "archive/byte_order.h"
#include "entry_names.h"

namespace {

bool HeaderCrcMatches(const uint8_t* block, uint64_t covered) {
  return BlockHeaderCrc(block, uint32_t(covered)) == LoadU16(block + HeaderCrcAt);
}

std::string Hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", v);
  return text;
}

struct Walker {
  const uint8_t* data;
  uint32_t size;
  ArchiveWalk* walk;
  uint32_t blockNumber = 0;

  void Stop(WalkEnd end, const std::string& problem) {
    walk->end = end;
    walk->problem = problem;
  }

  std::string Where(uint32_t at, uint8_t type, const std::string& name = "") const {
    std::string kind = type == BlockFile ? std::string("file header") : "type " + Hex(type);
    if (!name.empty()) kind += " '" + DisplayName(name) + "'";
    return "block " + std::to_string(blockNumber) + " at offset " + std::to_string(at) + " (" +
           kind + ")";
  }

  // Whether the header CRC fits one of the extents that writers cover:
  // the whole header; a file header with a comment only up to its name;
  // an old-style subblock together with its data.
  bool CrcMatches(uint32_t at, uint8_t type, uint16_t flags, uint32_t headerSize,
                  uint64_t dataSize) const {
    const uint8_t* p = data + at;
    if (HeaderCrcMatches(p, headerSize)) return true;
    if (type == BlockFile && (flags & EntryFlagComment)) {
      const uint32_t nameEnd = EntryFixedSize + LoadU16(p + EntryNameLengthAt);
      if (nameEnd <= headerSize && HeaderCrcMatches(p, nameEnd)) return true;
    }
    if (type != BlockFile && dataSize > 0 && uint64_t(at) + headerSize + dataSize <= size)
      return HeaderCrcMatches(p, headerSize + dataSize);
    return false;
  }

  bool MainHeader() {
    if (size < MarkerSize + MainHeaderSize) {
      Stop(WalkEnd::Truncated, "truncated archive: the main header is cut short");
      return false;
    }
    const uint8_t* p = data + MarkerSize;
    const uint32_t headerSize = LoadU16(p + HeaderSizeAt);
    walk->mainFlags = LoadU16(p + HeaderFlagsAt);
    // The fixed part is covered; the comment that old writers put inside
    // the main header carries a CRC of its own.
    const bool crcOk = (headerSize >= MainHeaderSize && HeaderCrcMatches(p, MainHeaderSize)) ||
                       (headerSize > MainHeaderSize && MarkerSize + headerSize <= size &&
                        HeaderCrcMatches(p, headerSize));
    if (p[HeaderTypeAt] != BlockMain || headerSize < MainHeaderSize || !crcOk) {
      Stop(WalkEnd::Damaged, "damaged header: the main header");
      return false;
    }
    walk->solid = (walk->mainFlags & MainFlagSolid) != 0;
    walk->volume = (walk->mainFlags & MainFlagVolume) != 0;
    walk->endBlockWritten = (walk->mainFlags & MainFlagEndBlockWritten) != 0;
    if (walk->mainFlags & MainFlagEncryptedHeaders) {
      Stop(WalkEnd::Unsupported, "encrypted headers (a RAR 3 archive): not readable here");
      return false;
    }
    if (MarkerSize + headerSize > size) {
      Stop(WalkEnd::Truncated, "truncated archive: the main header runs past the end");
      return false;
    }
    return true;
  }

  // Reads one file header that passed its checks.
  bool Entry(uint32_t at, uint32_t headerSize, uint64_t next, bool pastStop) {
    const uint8_t* p = data + at;
    WalkedEntry e;
    DecodeEntryFields(p, &e);
    e.offset = at;
    const uint32_t nameLength = e.nameLength;
    if (EntryFixedSize + nameLength > headerSize) {
      Stop(WalkEnd::Damaged,
           "damaged header: " + Where(at, BlockFile) + ", its name runs past the header");
      return false;
    }
    e.name.assign(reinterpret_cast<const char*>(p + EntryFixedSize), nameLength);
    e.dataEnd = next;
    e.pastInstallerStop = pastStop;
    walk->entries.push_back(e);
    return true;
  }

  void Run() {
    if (!MainHeader()) return;
    uint64_t at = MarkerSize + LoadU16(data + MarkerSize + HeaderSizeAt);
    bool pastStop = false;
    for (;;) {
      if (at == size) {
        if (walk->endBlockWritten)
          Stop(WalkEnd::MissingEndBlock, "truncated archive: it ends after " +
                                             Count(walk->entries.size(), "entry", "entries") +
                                             " without the end block its writer puts");
        return;
      }
      blockNumber++;
      const uint32_t start = uint32_t(at);
      const uint8_t* p = data + start;
      BlockFields block;
      if (!ReadBlockFields(ArchiveImage{data, size, 0}, start, &block)) {
        Stop(WalkEnd::Truncated, "truncated archive: block " + std::to_string(blockNumber) +
                                     " at offset " + std::to_string(start) + " is cut short");
        return;
      }
      const uint8_t type = block.type;
      const uint16_t flags = block.flags;
      const uint32_t headerSize = block.headerSize;
      const uint32_t fixed = type == BlockFile            ? EntryFixedSize
                             : (flags & BlockFlagHasData) ? BlockWithDataSize
                                                          : BlockBaseSize;
      if (headerSize < fixed) {
        Stop(WalkEnd::Damaged, "damaged header: " + Where(start, type) + ", size " +
                                   std::to_string(headerSize) + " is too small");
        return;
      }
      if (uint64_t(start) + headerSize > size) {
        Stop(WalkEnd::Truncated,
             "truncated archive: the header of " + Where(start, type) + " runs past the end");
        return;
      }
      // The header lies whole in the image: its data size was read.
      const uint64_t dataSize = block.dataSize;
      if (!CrcMatches(start, type, flags, headerSize, dataSize)) {
        // The name as it stands, which may itself be what was damaged.
        std::string name;
        const uint32_t nameLength = type == BlockFile ? LoadU16(p + EntryNameLengthAt) : 0;
        if (nameLength > 0 && EntryFixedSize + nameLength <= headerSize)
          name.assign(reinterpret_cast<const char*>(p + EntryFixedSize), nameLength);
        Stop(WalkEnd::Damaged, "damaged header: " + Where(start, type, name));
        return;
      }
      const uint64_t next = block.next;
      if (type == BlockArchiveEnd && next <= size) {
        if (next < size)
          Stop(WalkEnd::TrailingData,
               "trailing data after the end block: " + std::to_string(size - next) +
                   " bytes from offset " + std::to_string(next));
        else
          walk->end = WalkEnd::EndBlock;
        return;
      }
      if (type == BlockFile && !Entry(start, headerSize, next, pastStop)) return;
      if (type == BlockSubblock) pastStop = true;
      if (next > size) {
        Stop(WalkEnd::Truncated,
             "truncated archive: the data of " + Where(start, type) + " runs past the end");
        return;
      }
      at = next;
    }
  }
};

}  // namespace

bool WalkArchive(const ArchiveImage& image, ArchiveWalk* walk) {
  *walk = ArchiveWalk{};
  if (image.data == nullptr || image.size < MarkerSize) return false;
  if (!IsArchiveMarker(image.data)) return false;
  Walker walker{image.data, image.size, walk};
  walker.Run();
  return true;
}

bool WalkFailed(const ArchiveWalk& walk) {
  return walk.end != WalkEnd::Complete && walk.end != WalkEnd::EndBlock;
}

void CountFiles(const ArchiveWalk& walk, uint64_t* bytes, uint64_t* files) {
  *bytes = *files = 0;
  for (const WalkedEntry& e : walk.entries)
    if (!IsDirectoryEntry(e)) {
      *bytes += e.unpackedSize;
      ++*files;
    }
}

bool IsDirectoryEntry(uint8_t hostSystem, uint32_t attributes) {
  if (hostSystem == HostUnix) return (attributes & UnixModeTypeBits) == UnixModeDirectory;
  return (attributes & AttributeDirectory) != 0;
}
