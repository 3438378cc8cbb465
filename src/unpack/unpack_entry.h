// The decompressor's entry point: one compressed archive entry, handed over
// with everything the decoder needs to know of it, in the way zlib's
// inflateBack is handed its input and output.
#pragma once

#include <cstdint>

#include "archive/archive_result.h"
#include "unpack/bit_input.h"
#include "unpack/window.h"

struct Rar20Decoder;

// Bytes past the entry's size that a decoder writing straight into the
// output may touch: what one pass can write beyond the entry's end, and
// the overrun of its copy.
constexpr uint32_t OutputSlack = MaxPassBytes + CopyOverrun;

struct UnpackHandOver {
  uint8_t* window;     // WindowSize bytes, the caller's, the same for every entry it decodes
  PackedSource input;  // the entry's packed bytes, and nothing after them
  uint32_t size;       // bytes the entry unpacks to; 2^31 or more is broken data
  bool solid;          // continue from the state the previous entry left; false starts afresh
  uint8_t* output;     // where the entry's bytes go; null: into the window only
  // Or, with no output, where they are handed on as they are delivered, so
  // that an entry of any size needs no buffer of its own.
  PieceSink sink;
  uint32_t capacity;  // bytes output (or the sink) can take; no delivery passes it
  // Bytes writable at output, capacity or more. With room for size +
  // OutputSlack the entry is decoded straight into output, no copy made.
  uint64_t room;
  // A later entry may continue from this one (a solid archive): the window
  // must then hold this entry's bytes afterwards, whichever way it decoded.
  bool windowKept;
};

// How an entry's decoding ended. delivered: the bytes delivered into output
// (0 without one). result: Ok when the packed data held nothing invalid and
// the entry's size was reached; BadData when they could not be valid (a
// repeat with nothing to repeat, data that ran out before the size). A CRC
// that differs is the caller's to find.
struct UnpackOutcome {
  ArchiveResult result;
  uint32_t delivered;
};

// Decodes the entry with the decoder d.
UnpackOutcome UnpackEntry(Rar20Decoder* d, const UnpackHandOver& job);
