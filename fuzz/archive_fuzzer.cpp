// Feeds arbitrary bytes to the listing and to get requests of every listed
// name, without and with a password, as the installer and rar2tool would.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "archive/archive_reader.h"
#include "fuzz_requests.h"

namespace {
// What one input may make the decoder produce, over all its requests.
constexpr uint64_t InputBudget = 48u << 10;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  ArchiveImage image{size ? data : nullptr, uint32_t(size), 0};
  EntryListNode* head = nullptr;
  ArchiveListEntries(&image, &head);
  RequestBudget budget(head, InputBudget);
  // In archive order, one password at a time, as rar2tool asks.
  for (const char* password : {static_cast<const char*>(nullptr), "password"}) {
    for (const EntryListNode* n = head; n != nullptr; n = n->next) {
      if (!budget.Take(n->name, password)) continue;
      // A request returns the first entry with an equal name; that is the
      // one whose size a success delivers.
      const EntryListNode* first = head;
      while (!EntryNamesEqual(first->name, n->name)) first = first->next;
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
  FreeListKeepingWindow(head);
  return 0;
}
