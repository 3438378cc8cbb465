#include "failure_reason.h"

#include "archive/archive_reader.h"

namespace {

bool VersionSupported(uint8_t v) {
  return v >= 13 && v <= 20;
}

}  // namespace

std::string FailureReason(const ArchiveWalk& walk, size_t index, bool havePassword) {
  const EntryHeader& e = walk.entries[index].header;
  for (size_t j = 0; j < index; j++)
    if (EntryNamesEqual(walk.entries[j].header.name, e.name))
      return "an earlier entry has the same name";
  if (!VersionSupported(e.unpackVersion))
    return "unsupported version " + std::to_string(e.unpackVersion);
  if (walk.solid) {
    for (size_t j = 0; j < index; j++) {
      const EntryHeader& earlier = walk.entries[j].header;
      if (!VersionSupported(earlier.unpackVersion))
        return "solid predecessor " + std::string(earlier.name) + " needs unsupported version " +
               std::to_string(earlier.unpackVersion);
    }
  }
  if (walk.entries[index].dataEnd > walk.imageSize) return "data truncated";
  const bool encrypted = (e.flags & EntryFlagEncrypted) != 0;
  if (encrypted && !havePassword) return "encrypted, password needed";
  if (encrypted) return "CRC mismatch (wrong password or damaged data)";
  return "CRC mismatch";
}
