// The RAR 2.0 decompressor's one state: bit input, decode tables, the
// sliding window's positions, recent distances, the audio predictors, and
// the entry being decoded.
#pragma once

#include <cstdint>

#include "unpack/audio.h"
#include "unpack/bit_input.h"
#include "unpack/compressed_format.h"
#include "unpack/huff_table.h"
#include "unpack/window.h"

// The entry being decoded, as its hand-over set it up; none of it outlives
// the entry.
struct EntryProgress {
  // Bytes the entry still has to produce; the loop runs while it is above 0.
  // A match may take it below 0; a delivery that would not fit sets it to 0.
  // Wider than an entry's size, so that entries up to 4 GiB decode.
  int64_t left;
  uint8_t* output;  // the wanted entry's buffer; null: bytes go to the window only
  PieceSink sink;   // or, without a buffer, where they are handed on
  uint32_t capacity;
  uint32_t delivered;  // bytes delivered into output so far
  // Decoding straight into output: the window is left as the entry found
  // it, and writePos and flushPos run on as if it were written.
  bool direct;
  uint32_t start;     // window position of the entry's first byte
  uint32_t produced;  // bytes written into output (direct only)
};

struct Rar20Decoder {
  // Bytes written into the window since the decoder was made: the work the
  // requests did, to set beside the bytes they delivered. First in the
  // record: checks from outside the process read it there.
  uint64_t decodedBytes;
  BitInput input;
  HuffTable literalTable;
  HuffTable distanceTable;
  HuffTable repLengthTable;
  HuffTable levelTable;
  HuffTable audioTables[MaxAudioChannels];
  uint8_t previousLengths[MaxLengthCount];
  bool audioMode;
  uint32_t channelCount;
  uint32_t currentChannel;

  uint8_t* window;
  // The window is all zeros, though they were never written: set by a
  // reset, made real (MakeWindowReal) before the window is used as memory.
  bool windowZero;
  uint32_t writePos;
  uint32_t flushPos;
  uint32_t recentDistances[4];
  uint32_t recentCount;
  uint32_t prevMatchLength;
  uint32_t prevMatchDistance;

  ChannelPredictor channels[MaxAudioChannels];
  int32_t crossDelta;

  // Set when the packed data cannot be valid (a repeat with nothing to
  // repeat, input consumed past its end); the entry stops and stays broken
  // for any solid entry that would continue from it, until a full reset.
  bool dataError;

  EntryProgress entry;
};
