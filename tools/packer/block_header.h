// Block headers: the audio flag, the delta flag, the level code and the code
// lengths of every table of the coming block, run-length and (when smaller)
// delta coded against the lengths of the block before, exactly as the
// decoder keeps them.
#pragma once

#include <cstdint>

#include "bit_writer.h"
#include "format_tables.h"

namespace packer {

// The decoder's previous code lengths as far as the encoder can be sure of
// them. Lengths past a block's count are either kept or cleared by a decoder;
// they count as known only where both give the same value.
struct PreviousLengths {
  uint8_t value[MaxLengthCount] = {};
  bool known[MaxLengthCount];
  PreviousLengths() {
    for (bool& k : known) k = true;
  }
};

struct BlockHeaderShape {
  bool audio;
  int channels;  // 1..4 for audio blocks
  const uint8_t* lengths;
  int count;  // 374 for LZ blocks, 257 * channels for audio blocks
};

// Bits the header would take, choosing the cheaper of delta and plain coding.
uint32_t BlockHeaderBits(const BlockHeaderShape& shape, const PreviousLengths& previous);

// Writes the header and updates previous as the decoder will.
void WriteBlockHeader(BitWriter* out, const BlockHeaderShape& shape, PreviousLengths* previous);

}  // namespace packer
