// Feeds arbitrary bytes to the listing and to get requests of every listed
// name, with and without a password, as the installer and rar2tool would.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "archive/archive_reader.h"

namespace {
// Larger entries only cost time: the decoder's work grows with the size.
constexpr uint32_t MaxFetchedSize = 4u << 20;
constexpr int MaxFetchedEntries = 8;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  ArchiveImage image{size ? data : nullptr, uint32_t(size), 0};
  EntryListNode* head = nullptr;
  ArchiveListEntries(&image, &head);
  int fetched = 0;
  for (EntryListNode* n = head; n != nullptr && fetched < MaxFetchedEntries; n = n->next) {
    // A request returns the first entry with an equal name; that is the one
    // whose size counts.
    const EntryListNode* first = head;
    while (!EntryNamesEqual(first->name, n->name)) first = first->next;
    if (first->unpackedSize > MaxFetchedSize) continue;
    fetched++;
    for (const char* password : {static_cast<const char*>(nullptr), "password"}) {
      uint8_t* out = nullptr;
      uint32_t outSize = 0;
      if (ArchiveGetEntry(&out, &outSize, n->name, &image, password)) {
        if (outSize != first->unpackedSize) std::abort();  // success delivers the whole entry
      } else if (out != nullptr || outSize != 0) {
        std::abort();  // a failure leaves nothing behind
      }
      std::free(out);
    }
  }
  ArchiveFreeList(head);
  return 0;
}
