// What the fuzz targets share: the bound on one input's work, and the
// release of a listing that keeps the reader's window for the next input.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/archive_reader.h"

// A get request decodes at most every entry up to the first one with the
// wanted name (all of them when none has it), so the unpacked sizes of
// those entries bound what it makes the decoder produce; each decoded entry
// may also clear the window, counted as EntryOverhead bytes, and with a
// password derive the cipher keys, counted as KeySetupCost bytes. A target
// makes a request only while the input's budget covers that cost, counted
// as if the request started from the first entry.
class RequestBudget {
 public:
  RequestBudget(const EntryListNode* head, uint64_t budget) : left_(budget) {
    for (const EntryListNode* n = head; n != nullptr; n = n->next) {
      names_.push_back(n->name);
      sizes_.push_back(n->unpackedSize);
    }
  }
  const std::vector<std::string>& Names() const { return names_; }

  // Takes the cost of a request for name from the budget; false (and
  // nothing taken) when the budget does not cover it.
  bool Take(const std::string& name, const char* password) {
    const uint64_t perEntry =
        EntryOverhead + (password != nullptr && password[0] != '\0' ? KeySetupCost : 0);
    uint64_t cost = 0;
    for (size_t i = 0; i < names_.size(); i++) {
      cost += sizes_[i] + perEntry;
      if (EntryNamesEqual(names_[i].c_str(), name.c_str())) break;
    }
    if (cost > left_) return false;
    left_ -= cost;
    return true;
  }

 private:
  static constexpr uint64_t EntryOverhead = 4u << 10;
  static constexpr uint64_t KeySetupCost = 16u << 10;
  std::vector<std::string> names_;
  std::vector<uint32_t> sizes_;
  uint64_t left_;
};
