// rar2tool's own walk over arbitrary bytes: it must never read outside the
// image, its entries must lie in order inside it, and where it calls an
// archive sound the installer's reader must list the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "archive/archive_reader.h"
#include "header_walk.h"

namespace {

void CheckEntriesInOrder(const ArchiveWalk& walk, uint32_t size) {
  uint64_t previousEnd = 0;
  for (const WalkedEntry& e : walk.entries) {
    if (e.offset < previousEnd || e.dataEnd <= e.offset) std::abort();
    previousEnd = e.dataEnd;
  }
  // A sound walk has seen every entry whole.
  if (!WalkFailed(walk) && previousEnd > size) std::abort();
}

// The installer stops at its own end marker; up to there a sound archive
// must list the same names and sizes in the same order.
void CompareWithInstaller(const uint8_t* data, uint32_t size, const ArchiveWalk& walk) {
  ArchiveImage image{data, size, 0};
  EntryListNode* head = nullptr;
  ArchiveListEntries(&image, &head);
  const EntryListNode* n = head;
  bool stopped = false;
  for (const WalkedEntry& e : walk.entries) {
    if (e.pastInstallerStop) {
      stopped = true;
      break;
    }
    // The installer's names end at their first NUL byte; the tool keeps
    // every stored byte.
    if (n == nullptr || std::string(e.name.c_str()) != n->name ||
        e.unpackedSize != n->unpackedSize || e.packedSize != n->packedSize ||
        e.dataCrc != n->dataCrc)
      std::abort();
    n = n->next;
  }
  if (!stopped && n != nullptr) std::abort();
  ArchiveFreeList(head);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  ArchiveImage image{size ? data : nullptr, uint32_t(size), 0};
  ArchiveWalk walk;
  if (!WalkArchive(image, &walk)) return 0;
  CheckEntriesInOrder(walk, uint32_t(size));
  if (!WalkFailed(walk) && walk.end != WalkEnd::Unsupported)
    CompareWithInstaller(data, uint32_t(size), walk);
  return 0;
}
