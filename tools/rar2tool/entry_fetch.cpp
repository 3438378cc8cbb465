#include "entry_fetch.h"

#include <cstdlib>
#include <unordered_map>

#include "archive/archive_reader.h"
#include "archive/reader_memory.h"
#include "archive/solid_progress.h"
#include "entry_names.h"

namespace {

constexpr size_t MaxRequestName = 259;

bool VersionSupported(uint8_t v) {
  return v >= 13 && v <= 20;
}

std::string Quoted(const WalkedEntry& e) {
  return "'" + DisplayName(e.name) + "'";
}

std::string RequestName(const WalkedEntry& e) {
  return e.name.substr(0, MaxRequestName);
}

// Indexes the names once: a hash of the names seen, by the installer's own
// fold, instead of comparing each name with every earlier one.
void IndexEntries(EntryFetcher* f) {
  const std::vector<WalkedEntry>& entries = f->walk->entries;
  if (f->sameNameBefore.size() == entries.size()) return;
  f->sameNameBefore.assign(entries.size(), SIZE_MAX);
  f->firstUnsupported = SIZE_MAX;
  std::unordered_multimap<uint32_t, size_t> seen;
  seen.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); i++) {
    if (f->firstUnsupported == SIZE_MAX && !VersionSupported(entries[i].unpackVersion))
      f->firstUnsupported = i;
    const std::string name = RequestName(entries[i]);
    const uint32_t hash = EntryNameHash(name.c_str());
    bool duplicate = false;
    const auto range = seen.equal_range(hash);
    for (auto it = range.first; it != range.second && !duplicate; ++it)
      if (EntryNamesEqual(RequestName(entries[it->second]).c_str(), name.c_str())) {
        f->sameNameBefore[i] = it->second;
        duplicate = true;
      }
    // Only the first of equal names is kept: the one a request returns.
    if (!duplicate) seen.emplace(hash, i);
  }
}

// Why a get request that was made failed.
std::string DecodeFailure(const EntryFetcher& f, size_t index) {
  const ArchiveWalk& walk = *f.walk;
  const WalkedEntry& e = walk.entries[index];
  if (!VersionSupported(e.unpackVersion))
    return "unsupported version " + std::to_string(e.unpackVersion);
  if (walk.solid && f.firstUnsupported < index) {
    const WalkedEntry& earlier = walk.entries[f.firstUnsupported];
    return "not decoded: the earlier solid entry " + Quoted(earlier) +
           " needs unsupported version " + std::to_string(earlier.unpackVersion);
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

std::string BlockedReason(EntryFetcher* f, size_t index) {
  IndexEntries(f);
  const ArchiveWalk& walk = *f->walk;
  const WalkedEntry& e = walk.entries[index];
  if (e.pastInstallerStop)
    return "not reached: the installer's walk ends at an earlier block of type 0x77";
  if (e.flags & EntryFlagFromPreviousVolume) return "continued from the previous volume";
  if (e.flags & EntryFlagIntoNextVolume) return "continues in the next volume";
  const size_t same = f->sameNameBefore[index];
  if (same != SIZE_MAX)
    return "cannot be fetched by name: the earlier entry " + Quoted(walk.entries[same]) +
           " has the same name, and a request returns that one";
  if (e.dataEnd > f->archive->image.size) return "data truncated";
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
  *reason = BlockedReason(f, index);
  if (!reason->empty()) return false;
  const std::string requested = RequestName(e);
  const unsigned failuresBefore = ReaderAllocationFailures();
  if (ArchiveGetEntry(data, size, requested.c_str(), &f->archive->image, f->password) == 1)
    return true;
  if (ReaderAllocationFailures() != failuresBefore) {
    // Not the entry's fault: it was not judged at all.
    *reason = "out of memory for its " + Count(e.unpackedSize, "byte");
    f->causeIsEarlier = false;
    f->damagedInRun = SIZE_MAX;
    return false;
  }
  *reason = DecodeFailure(*f, index);
  // A failure whose cause is an earlier entry is said once for all it hits.
  f->causeIsEarlier = reason->compare(0, 12, "not decoded:") == 0 ||
                      reason->find("after the damaged earlier") != std::string::npos;
  if (e.method != 0x30 && f->damagedInRun == SIZE_MAX) f->damagedInRun = index;
  return false;
}
