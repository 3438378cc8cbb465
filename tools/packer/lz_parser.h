// Turning bytes into LZ steps. The fast levels parse greedily or lazily over
// hash chains; the high levels find every match with binary trees and pick
// the cheapest path through them under the current symbol prices.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "lz_symbols.h"
#include "match_finder.h"

namespace packer {

struct ParseLevel {
  bool optimal;
  bool lazy;
  int depth;            // match-finder links followed per position
  uint32_t niceLength;  // a match this long is taken without looking further
  int passes;           // optimal parse: rounds over each chunk
  // Lazy parse: a match this long is already good, so the look one byte
  // further follows a quarter of the links.
  uint32_t goodLength;
  // Lazy parse: links followed in a row without a better match before the
  // search gives up.
  int patience;
};

ParseLevel LevelParameters(int level);  // 1..5

class LzParser {
 public:
  // data holds size bytes and MatchPadding readable bytes after them.
  LzParser(const uint8_t* data, uint32_t size, const ParseLevel& level);
  // The stream's bytes now lie at data: a stream read in pieces holds, at
  // each call of Parse, the window before begin and the bytes up to end
  // and a little past it.
  void SetData(const uint8_t* data);

  // Appends the steps for the bytes [begin, end), continuing state. Steps
  // never reach past end; every position before begin is already known to
  // the match finder or was passed over with SkipBytes.
  void Parse(uint32_t begin, uint32_t end, LzState* state, std::vector<Op>* ops);

  // Positions coded some other way (audio): entered where cheap.
  void SkipBytes(uint32_t begin, uint32_t end);

  // Prices follow the steps parsed so far; callers that discard steps put
  // the prices back.
  const CostModel& Prices() const { return prices_; }
  void SetPrices(const CostModel& prices) { prices_ = prices; }

 private:
  void ParseLazy(uint32_t begin, uint32_t end, LzState* state, std::vector<Op>* ops);
  void ParseOptimalChunk(uint32_t begin, uint32_t end, LzState* state, std::vector<Op>* ops);
  void RunOptimalPass(uint32_t begin, uint32_t end, const LzState& start, std::vector<Op>* ops);
  void UpdatePrices(const std::vector<Op>& ops, size_t from, const LzState& start);

  const uint8_t* data_;
  uint32_t size_;
  ParseLevel level_;
  CostModel prices_;
  std::unique_ptr<HashChains> chains_;
  std::unique_ptr<BinaryTrees> trees_;
  PairIndex pairs_;
  uint32_t known_ = 0;  // positions below this have been entered or parsed

  // Optimal parse work areas, kept between chunks.
  struct Node {
    uint32_t cost;
    uint32_t length;
    uint32_t distance;
    LzState state;
  };
  std::vector<Node> nodes_;
  std::vector<Match> matches_;
  std::vector<uint32_t> matchStart_;
  std::vector<uint32_t> shortDistance_;
};

}  // namespace packer
