// Runs a short sequence of get requests over one image twice: once letting
// each request continue from the state the last one left, once releasing
// that state before every request. Any result that differs is a fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/setup_reader.h"
#include "fuzz_requests.h"

namespace {

// The last bytes of an input choose the requests, two bytes each; the rest
// is the archive image.
constexpr size_t RequestCount = 8;
constexpr size_t ScriptBytes = 2 * RequestCount;
constexpr uint64_t InputBudget = 32u << 10;  // per run of the sequence

const char* const Passwords[] = {nullptr, "password", "wrong", ""};

struct Request {
  std::string name;
  const char* password;
};

struct Outcome {
  int ok;
  uint32_t size;
  std::vector<uint8_t> data;
};

Outcome Fetch(ArchiveImage* image, const Request& q) {
  Outcome o;
  uint8_t* out = nullptr;
  o.size = 0;
  o.ok = ArchiveGetEntry(&out, &o.size, q.name.c_str(), image, q.password);
  if ((o.ok == 1) != (out != nullptr)) std::abort();  // a pointer exactly on success
  if (out != nullptr) o.data.assign(out, out + o.size);
  std::free(out);
  return o;
}

// Forgetting the kept state keeps the window, which the next request
// resets: the fresh run costs no new window per request.
std::vector<Outcome> Run(ArchiveImage* image, const std::vector<Request>& requests, bool fresh) {
  ForgetSolidProgress(&setupArchiveReader.solid);
  std::vector<Outcome> outcomes;
  for (const Request& q : requests) {
    if (fresh) ForgetSolidProgress(&setupArchiveReader.solid);
    outcomes.push_back(Fetch(image, q));
  }
  return outcomes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size <= ScriptBytes || size - ScriptBytes > 0xFFFFFFFFu) return 0;
  const uint8_t* script = data + size - ScriptBytes;
  ArchiveImage image{data, uint32_t(size - ScriptBytes), 0};
  EntryListNode* head = nullptr;
  ArchiveListEntries(&image, &head);
  RequestBudget budget(head, InputBudget);
  const std::vector<std::string>& names = budget.Names();
  std::vector<Request> requests;
  for (size_t i = 0; i < RequestCount; i++) {
    // An entry by its index (one past the last asks for a missing name),
    // now and then spelled in lower case, and one of four passwords.
    const uint8_t which = script[2 * i], how = script[2 * i + 1];
    Request q;
    q.name = which % (names.size() + 1) < names.size() ? names[which % (names.size() + 1)]
                                                       : std::string("missing entry");
    if (how & 4)
      for (char& c : q.name) c = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
    q.password = Passwords[how & 3];
    if (budget.Take(q.name, q.password)) requests.push_back(q);
  }
  // The nodes only: the reader's window stays reserved, since a new 1 MiB
  // window for every input would cost more than all its decoding.
  FreeEntryList(head);
  const std::vector<Outcome> kept = Run(&image, requests, false);
  const std::vector<Outcome> fresh = Run(&image, requests, true);
  for (size_t i = 0; i < requests.size(); i++) {
    const Outcome &a = kept[i], &b = fresh[i];
    if (a.ok != b.ok || a.size != b.size || a.data != b.data) std::abort();
  }
  return 0;
}
