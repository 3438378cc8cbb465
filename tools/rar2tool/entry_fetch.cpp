#include "entry_fetch.h"

#include <cstdlib>

#include "archive/archive_reader.h"
#include "entry_names.h"

namespace {

constexpr size_t MaxRequestName = 259;

bool VersionSupported(uint8_t v) {
  return v >= 13 && v <= 20;
}

std::string Quoted(const WalkedEntry& e) {
  return "'" + DisplayName(e.name) + "'";
}

// Why a get request that was made failed.
std::string DecodeFailure(const EntryFetcher& f, size_t index) {
  const ArchiveWalk& walk = *f.walk;
  const WalkedEntry& e = walk.entries[index];
  if (!VersionSupported(e.unpackVersion))
    return "unsupported version " + std::to_string(e.unpackVersion);
  if (walk.solid) {
    for (size_t j = 0; j < index; j++) {
      const WalkedEntry& earlier = walk.entries[j];
      if (!VersionSupported(earlier.unpackVersion))
        return "not decoded: the earlier solid entry " + Quoted(earlier) +
               " needs unsupported version " + std::to_string(earlier.unpackVersion);
    }
  }
  const bool encrypted = (e.flags & EntryFlagEncrypted) != 0;
  if (encrypted && f.password == nullptr) return "encrypted, password needed";
  if (walk.solid && (e.flags & EntryFlagSolid) && e.method != 0x30 && f.damagedInRun != SIZE_MAX)
    return "CRC mismatch after the damaged earlier solid entry " +
           Quoted(walk.entries[f.damagedInRun]);
  if (encrypted) return "CRC mismatch (wrong password or damaged data)";
  if (e.method != 0x30 && e.unpackVersion < 20)
    return "CRC mismatch (compressed for unpack version " + std::to_string(e.unpackVersion) +
           ", an older method than the RAR 2.0 one the installer decodes)";
  return "CRC mismatch";
}

}  // namespace

std::string BlockedReason(const ArchiveWalk& walk, size_t index, uint32_t imageSize) {
  const WalkedEntry& e = walk.entries[index];
  if (e.pastInstallerStop)
    return "not reached: the installer's walk ends at an earlier block of type 0x77";
  if (e.flags & EntryFlagFromPreviousVolume) return "continued from the previous volume";
  if (e.flags & EntryFlagIntoNextVolume) return "continues in the next volume";
  const std::string requested = e.name.substr(0, MaxRequestName);
  for (size_t j = 0; j < index; j++)
    if (EntryNamesEqual(walk.entries[j].name.substr(0, MaxRequestName).c_str(), requested.c_str()))
      return "cannot be fetched by name: the earlier entry " + Quoted(walk.entries[j]) +
             " has the same name, and a request returns that one";
  if (e.dataEnd > imageSize) return "data truncated";
  return "";
}

bool FetchEntry(EntryFetcher* f, size_t index, uint8_t** data, uint32_t* size,
                std::string* reason) {
  const WalkedEntry& e = f->walk->entries[index];
  *data = nullptr;
  *size = 0;
  f->causeIsEarlier = false;
  // A compressed entry without the solid bit starts the decoder afresh.
  if (e.method != 0x30 && !(e.flags & EntryFlagSolid)) f->damagedInRun = SIZE_MAX;
  *reason = BlockedReason(*f->walk, index, f->archive->image.size);
  if (!reason->empty()) return false;
  const std::string requested = e.name.substr(0, MaxRequestName);
  if (ArchiveGetEntry(data, size, requested.c_str(), &f->archive->image, f->password) == 1)
    return true;
  *reason = DecodeFailure(*f, index);
  // A failure whose cause is an earlier entry is said once for all it hits.
  f->causeIsEarlier = reason->compare(0, 12, "not decoded:") == 0 ||
                      reason->find("after the damaged earlier") != std::string::npos;
  if (e.method != 0x30 && f->damagedInRun == SIZE_MAX) f->damagedInRun = index;
  return false;
}
