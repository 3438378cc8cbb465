#include "lz_parser.h"

#include <algorithm>

namespace packer {

namespace {

constexpr uint32_t OptimalChunk = 1u << 16;
constexpr uint32_t Infinite = UINT32_MAX;

uint32_t LiteralCost(const CostModel& m, uint8_t byte) {
  return m.main[byte];
}

}  // namespace

ParseLevel LevelParameters(int level) {
  switch (level) {
    case 1:
      return {false, false, 4, 24, 0, 24, 4};
    case 2:
      return {false, true, 8, 32, 0, 32, 8};
    case 3:
      return {false, true, 128, 258, 0, 258, 32};
    case 4:
      return {true, false, 24, 64, 1, 64, 24};
    default:
      return {true, false, 96, 128, 2, 128, 96};
  }
}

LzParser::LzParser(const uint8_t* data, uint32_t size, const ParseLevel& level)
    : data_(data), size_(size), level_(level) {
  DefaultCosts(&prices_);
  if (level.optimal)
    trees_ = std::make_unique<BinaryTrees>(data, size);
  else
    chains_ = std::make_unique<HashChains>(data, size);
}

void LzParser::SetData(const uint8_t* data) {
  data_ = data;
  if (chains_) chains_->SetData(data);
  if (trees_) trees_->SetData(data);
}

void LzParser::SkipBytes(uint32_t begin, uint32_t end) {
  // A position entered twice would link to itself.
  if (chains_)
    for (uint32_t pos = std::max(begin, known_); pos < end; pos++) chains_->Insert(pos);
  known_ = std::max(known_, end);
}

void LzParser::Parse(uint32_t begin, uint32_t end, LzState* state, std::vector<Op>* ops) {
  known_ = std::max(known_, end);
  if (level_.optimal) {
    for (uint32_t pos = begin; pos < end;) {
      const uint32_t chunkEnd = end - pos > OptimalChunk ? pos + OptimalChunk : end;
      ParseOptimalChunk(pos, chunkEnd, state, ops);
      pos = chunkEnd;
    }
  } else {
    ParseLazy(begin, end, state, ops);
  }
}

void LzParser::UpdatePrices(const std::vector<Op>& ops, size_t from, const LzState& start) {
  LzFrequencies f;
  LzState s = start;
  for (size_t i = from; i < ops.size(); i++) {
    const Op& op = ops[i];
    if (op.distance == 0) {
      f.main[op.length]++;
    } else {
      CountSpelling(&f, SpellMatch(s, op.length, op.distance));
      PushMatch(&s, op.length, op.distance);
    }
  }
  CostsFromFrequencies(f, &prices_);
}

// --- Greedy and lazy parsing -------------------------------------------------

namespace {

struct Candidate {
  uint32_t length = 0;
  uint32_t distance = 0;
  int32_t gain = 0;  // 1/16 bits saved against literals
};

}  // namespace

void LzParser::ParseLazy(uint32_t begin, uint32_t end, LzState* state, std::vector<Op>* ops) {
  const size_t firstOp = ops->size();
  const LzState startState = *state;
  // Average literal price, the yardstick of a match's gain.
  uint64_t priceSum = 0;
  for (int s = 0; s < 256; s++) priceSum += prices_.main[s];
  const int32_t literalPrice = int32_t(priceSum / 256);

  auto evaluate = [&](uint32_t pos, int depth) {
    Candidate best;
    const uint32_t avail = end - pos;
    if (avail < 2) return best;
    const uint32_t cap = avail < MaxMatchLength ? avail : MaxMatchLength;
    const uint8_t* p = data_ + pos;
    auto consider = [&](uint32_t length, uint32_t distance) {
      const int32_t gain = int32_t(length) * literalPrice -
                           int32_t(SpellingCost(prices_, SpellMatch(*state, length, distance)));
      if (gain > best.gain) best = {length, distance, gain};
    };
    const uint32_t pl = state->prevLength, pd = state->prevDistance;
    if (pl >= 2 && pl <= cap && pd <= pos && CommonLength(p, p - pd, pl) == pl) consider(pl, pd);
    for (int r = 0; r < 4; r++) {
      const uint32_t d = state->recent[r];
      if (d == 0 || d > pos || d > MaxDistance) continue;
      const uint32_t limit = std::min(cap, MaxRecentMatchLength(d));
      const uint32_t length = CommonLength(p, p - d, limit);
      if (length >= MinRecentMatchLength(d)) consider(length, d);
    }
    const Match m = chains_->Longest(pos, cap, depth, level_.niceLength, level_.patience);
    if (m.length >= 3) consider(m.length, m.distance);
    return best;
  };

  uint32_t pos = begin;
  Candidate current = evaluate(pos, level_.depth);
  while (pos < end) {
    if (current.gain <= 0) {
      ops->push_back({data_[pos], 0});
      chains_->Insert(pos);
      pos++;
      if (pos < end) current = evaluate(pos, level_.depth);
      continue;
    }
    // A match this long is taken without looking one byte further.
    if (level_.lazy && current.length < level_.niceLength / 2 && pos + 1 < end) {
      chains_->Insert(pos);
      const int depth = current.length >= level_.goodLength ? level_.depth / 4 : level_.depth;
      const Candidate next = evaluate(pos + 1, depth);
      if (next.gain > current.gain + literalPrice / 2) {
        ops->push_back({data_[pos], 0});
        pos++;
        current = next;
        continue;
      }
      for (uint32_t k = 1; k < current.length; k++) chains_->Insert(pos + k);
    } else {
      for (uint32_t k = 0; k < current.length; k++) chains_->Insert(pos + k);
    }
    ops->push_back({current.length, current.distance});
    PushMatch(state, current.length, current.distance);
    pos += current.length;
    if (pos < end) current = evaluate(pos, level_.depth);
  }
  // Prices follow the data every so often, not after every step.
  if (ops->size() - firstOp >= 4096) UpdatePrices(*ops, firstOp, startState);
}

// --- Optimal parsing -----------------------------------------------------------

void LzParser::ParseOptimalChunk(uint32_t begin, uint32_t end, LzState* state,
                                 std::vector<Op>* ops) {
  const uint32_t n = end - begin;
  matchStart_.resize(n + 1);
  shortDistance_.resize(n);
  matches_.clear();
  Match found[BinaryTrees::MaxMatchesPerPosition];
  for (uint32_t i = 0; i < n; i++) {
    const uint32_t pos = begin + i;
    matchStart_[i] = uint32_t(matches_.size());
    const int count = trees_->FindAndInsert(pos, level_.depth, level_.niceLength, found);
    matches_.insert(matches_.end(), found, found + count);
    shortDistance_[i] = pos + 2 <= size_ ? pairs_.NearestAndInsert(data_, pos) : 0;
  }
  matchStart_[n] = uint32_t(matches_.size());

  const LzState start = *state;
  std::vector<Op> chosen;
  for (int pass = 0; pass < level_.passes; pass++) {
    chosen.clear();
    RunOptimalPass(begin, end, start, &chosen);
    UpdatePrices(chosen, 0, start);
  }
  for (const Op& op : chosen)
    if (op.distance != 0) PushMatch(state, op.length, op.distance);
  ops->insert(ops->end(), chosen.begin(), chosen.end());
}

void LzParser::RunOptimalPass(uint32_t begin, uint32_t end, const LzState& start,
                              std::vector<Op>* ops) {
  const uint32_t n = end - begin;
  nodes_.resize(n + 1);
  for (uint32_t i = 0; i <= n; i++) nodes_[i].cost = Infinite;
  nodes_[0].cost = 0;
  nodes_[0].state = start;
  const CostModel& m = prices_;
  const uint32_t nice = level_.niceLength;
  uint32_t skipUntil = 0;

  for (uint32_t i = 0; i < n; i++) {
    const Node& here = nodes_[i];
    if (here.cost == Infinite) continue;
    const uint32_t pos = begin + i;
    const uint8_t* p = data_ + pos;
    const uint32_t base = here.cost;
    const LzState& s = here.state;

    auto relax = [&](uint32_t length, uint32_t distance, uint32_t cost) {
      Node& to = nodes_[i + length];
      if (cost < to.cost) {
        to.cost = cost;
        to.length = length;
        to.distance = distance;
        to.state = s;
        if (distance != 0) PushMatch(&to.state, length, distance);
      }
    };
    relax(1, 0, base + LiteralCost(m, p[0]));
    if (i < skipUntil) continue;

    const uint32_t avail = n - i;
    if (avail < 2) continue;
    const uint32_t cap = avail < MaxMatchLength ? avail : MaxMatchLength;
    uint32_t longest = 0;

    // The last match again.
    if (s.prevLength >= 2 && s.prevLength <= cap && s.prevDistance <= pos &&
        CommonLength(p, p - s.prevDistance, s.prevLength) == s.prevLength)
      relax(s.prevLength, s.prevDistance, base + m.main[SymbolRepeatLast]);

    // Recent distances, each length they reach.
    for (int r = 0; r < 4; r++) {
      const uint32_t d = s.recent[r];
      if (d == 0 || d > pos || d > MaxDistance) continue;
      bool seen = false;
      for (int q = 0; q < r; q++) seen |= s.recent[q] == d;
      if (seen) continue;
      const uint32_t limit = std::min(cap, MaxRecentMatchLength(d));
      const uint32_t length = CommonLength(p, p - d, limit);
      if (length < MinRecentMatchLength(d)) continue;
      longest = std::max(longest, length);
      const uint32_t from = length >= nice ? length : MinRecentMatchLength(d);
      for (uint32_t l = from; l <= length; l++)
        relax(l, d, base + SpellingCost(m, SpellMatch(s, l, d)));
    }

    // A short match at the nearest distance.
    const uint32_t sd = shortDistance_[i];
    if (sd != 0) relax(2, sd, base + SpellingCost(m, SpellMatch(s, 2, sd)));

    // New matches, each length up to the longest at its distance.
    uint32_t previous = 2;
    for (uint32_t k = matchStart_[i]; k < matchStart_[i + 1]; k++) {
      const uint32_t d = matches_[k].distance;
      const uint32_t length = std::min(matches_[k].length, cap);
      if (length <= previous) continue;
      uint32_t from = std::max(previous + 1, MinNewMatchLength(d));
      const uint32_t to = std::min(length, MaxNewMatchLength(d));
      // Only what a match can code counts: bytes past its longest spelling
      // must stay open to the steps that follow it.
      longest = std::max(longest, to);
      if (to >= nice) from = std::max(from, to);
      for (uint32_t l = from; l <= to; l++)
        relax(l, d, base + SpellingCost(m, SpellMatch(s, l, d)));
      previous = length;
    }
    // A long match is taken as it stands: the positions it covers are not
    // expanded, which keeps long runs cheap to parse.
    if (longest >= nice) skipUntil = i + longest;
  }

  size_t count = 0;
  for (uint32_t j = n; j > 0; j -= nodes_[j].length) count++;
  const size_t first = ops->size();
  ops->resize(first + count);
  size_t k = ops->size();
  for (uint32_t j = n; j > 0; j -= nodes_[j].length) {
    const Node& node = nodes_[j];
    (*ops)[--k] = node.distance == 0 ? Op{data_[begin + j - 1], 0} : Op{node.length, node.distance};
  }
}

}  // namespace packer
