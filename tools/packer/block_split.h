// Where a run of steps of one kind is cut into blocks with tables of their
// own: a new header pays when the symbol statistics change enough.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace packer {

// The steps of a run, reduced to what the statistics need: for each step the
// index of its symbols in one combined alphabet (up to two per step).
struct SymbolStream {
  int alphabetSize;          // 374 for LZ, 257 * channels for audio
  std::vector<int> tableOf;  // table of each combined symbol
  int tableCount;
  std::vector<uint16_t> first;  // per step
  std::vector<int16_t> second;  // per step, -1 when none
  std::vector<uint8_t> extraBits;
};

struct SplitSettings {
  size_t stepsPerChunk;  // granularity of the cuts
  size_t maxChunksPerBlock;
};

// Returns the step indices at which blocks start after the first, in order.
std::vector<size_t> SplitIntoBlocks(const SymbolStream& stream, const SplitSettings& settings);

}  // namespace packer
