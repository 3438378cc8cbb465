// The bound on one fuzz input's work. A get request decodes at most every
// entry up to the first one with the wanted name (all of them when none has
// it), so the unpacked sizes of those entries bound what it makes the
// decoder produce; each decoded entry may also clear the window. A target
// makes a request only while the input's budget covers that cost, counted
// as if the request started from the first entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_reader.h"

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
  bool Take(const std::string& name) {
    uint64_t cost = 0;
    for (size_t i = 0; i < names_.size(); i++) {
      cost += sizes_[i] + EntryOverhead;
      if (EntryNamesEqual(names_[i].c_str(), name.c_str())) break;
    }
    if (cost > left_) return false;
    left_ -= cost;
    return true;
  }

 private:
  static constexpr uint64_t EntryOverhead = 64u << 10;  // a window cleared counts as this
  std::vector<std::string> names_;
  std::vector<uint32_t> sizes_;
  uint64_t left_;
};
