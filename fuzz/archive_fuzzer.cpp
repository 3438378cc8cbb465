// Feeds arbitrary bytes to the listing and to get requests of every listed
// name, without and with a password, as the installer and rar2tool would;
// the streaming request, asked the same in a second walk, must give the
// same verdicts and bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/setup_reader.h"
#include "fuzz_requests.h"

namespace {
// What one input may make the decoder produce, over all its requests.
constexpr uint64_t InputBudget = 48u << 10;

struct Result {
  const char* name;
  int ok;
  std::vector<uint8_t> bytes;
};

void Collect(void* context, const uint8_t* bytes, uint32_t count) {
  std::vector<uint8_t>* to = static_cast<std::vector<uint8_t>*>(context);
  to->insert(to->end(), bytes, bytes + count);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  ArchiveImage image{size ? data : nullptr, uint32_t(size), 0};
  EntryListNode* head = nullptr;
  ArchiveListEntries(&image, &head);
  RequestBudget budget(head, InputBudget);
  // In archive order, one password at a time, as rar2tool asks.
  for (const char* password : {static_cast<const char*>(nullptr), "password"}) {
    std::vector<Result> results;
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
      Result r{n->name, 0, {}};
      r.ok = out != nullptr;
      if (out != nullptr) r.bytes.assign(out, out + outSize);
      results.push_back(std::move(r));
      std::free(out);
    }
    // The same requests again, streamed, from a fresh start.
    ForgetSolidProgress(&setupArchiveReader.solid);
    for (const Result& r : results) {
      std::vector<uint8_t> streamed;
      const int ok = ArchiveStreamEntry(r.name, &image, password, Collect, &streamed);
      if (ok != r.ok || (ok && streamed != r.bytes)) std::abort();
    }
  }
  // The nodes only: the reader's window stays reserved, since a new 1 MiB
  // window for every input would cost more than all its decoding.
  FreeEntryList(head);
  return 0;
}
