// The life of an entry. A solid entry continues from the state the previous
// one left: window, positions, recent distances, tables and predictors; any
// other entry resets them all, clears the window and reads its first block
// header. Either way the input starts afresh at the entry's first packed
// byte. The loop then decodes symbols until the entry has produced its
// size, delivering pending window bytes into the output in large batches;
// or, where the output has room for the whole entry, writing straight into
// it (the window then receives the entry's last bytes once, at the end,
// when a later entry may continue from them).
// After the last symbol one more symbol is looked at: a block header there
// belongs to the next solid entry, and is read now. A final flush delivers
// the rest. A broken entry stops early; the window is still moved on to
// where it would have ended, so that the solid entries after it keep their
// distances (they fail only if they copy from the broken extent).
#include "unpack/unpack_entry.h"

#include <cstring>

#include "unpack/block_tables.h"
#include "unpack/compressed_format.h"
#include "unpack/decode_loop.h"
#include "unpack/rar20_decoder.h"

namespace {

void ResetDecoder(Rar20Decoder* d, bool solid) {
  // A broken entry before this one has already brought the window to where
  // it would have ended; this entry's own data and CRC decide for it.
  d->dataError = false;
  if (solid) return;
  std::memset(d->channels, 0, sizeof d->channels);
  d->crossDelta = 0;
  d->currentChannel = 0;
  std::memset(d->recentDistances, 0, sizeof d->recentDistances);
  d->recentCount = 0;
  d->prevMatchLength = 0;
  d->prevMatchDistance = 0;
  // Cleared in name only: an entry decoded straight into its output never
  // reads the window (but for damaged data, which then read zeros), and a
  // megabyte written per entry would cost more than decoding a small one.
  d->windowZero = true;
  std::memset(d->previousLengths, 0, sizeof d->previousLengths);
  d->flushPos = 0;
  d->writePos = 0;
}

constexpr uint32_t TrailingBytes = 5;
// Room for the check and the symbol's peek.
constexpr uint32_t TrailingReadAhead = 8;

// A block header right after the entry's last symbol is read within this
// entry, so that its tables are in force for the next solid entry.
void ReadTrailingTables(Rar20Decoder* d) {
  BitInput* in = &d->input;
  if (d->dataError) return;
  // Fewer than five bytes left cannot hold a symbol and a header.
  NeedInput(in, TrailingReadAhead);
  if (in->dataEnd < in->bytePos + TrailingBytes) return;
  if (d->audioMode) {
    if (DecodeSymbol(in, &d->audioTables[d->currentChannel]) == uint32_t(AudioHeaderValue))
      ReadBlockTables(d);
  } else {
    if (DecodeSymbol(in, &d->literalTable) == SymbolNewTables) ReadBlockTables(d);
  }
}

}  // namespace

UnpackOutcome UnpackEntry(Rar20Decoder* d, const UnpackHandOver& job) {
  d->window = job.window;
  d->input.source = job.input;
  AssignTableFields(d);
  ResetDecoder(d, job.solid);
  EntryProgress& e = d->entry;
  e = EntryProgress{};
  e.left = int64_t(job.size);
  e.output = job.output;
  e.sink = job.output == nullptr ? job.sink : PieceSink{};
  e.capacity = job.capacity;
  // Matches read the entry's own earlier bytes from the output and what
  // lies before it from the untouched window, so the output can stand in
  // for the window whenever a pass cannot write past its room.
  e.direct = job.output != nullptr && job.capacity >= job.size && job.size < 0x80000000u &&
             job.room >= uint64_t(job.size) + OutputSlack;
  e.start = d->writePos & WindowMask;
  // Decoding through the window writes and reads it as memory.
  if (!e.direct) MakeWindowReal(d);
  StartInput(&d->input);
  if (!job.solid) ReadBlockTables(d);
  DecodeLoop(d);
  uint32_t missing = 0;
  if (d->dataError) {
    if (d->entry.left > 0) missing = uint32_t(d->entry.left);
    d->entry.left = 0;
  }
  ReadTrailingTables(d);
  FlushWindow(d);
  if (e.direct && job.windowKept) {
    MakeWindowReal(d);
    FillWindowFromOutput(d);
  }
  const bool broken = d->dataError;
  if (broken) {
    MakeWindowReal(d);
    PassOverBrokenExtent(d, missing);
  }
  return UnpackOutcome{broken ? ArchiveResult::BadData : ArchiveResult::Ok, d->entry.delivered};
}
