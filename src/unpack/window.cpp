#include "unpack/window.h"

#include "unpack/rar20_decoder.h"
#include "unpack/unpack_entry.h"

void MakeWindowReal(Rar20Decoder* d) {
  if (!d->windowZero) return;
  std::memset(d->window, 0, WindowSize);
  d->windowZero = false;
}

void FlushWindow(Rar20Decoder* d) {
  EntryProgress& e = d->entry;
  // Every byte written since the last flush is pending now: no pass writes
  // a whole window's worth between two flushes.
  const uint32_t pending = (d->writePos - d->flushPos) & WindowMask;
  d->decodedBytes += pending;
  if (e.sink.hand != nullptr) {
    if (uint64_t(e.delivered) + pending > e.capacity) {
      e.left = 0;
    } else if (pending > 0) {
      // Handed on from the window in at most two pieces: its end, then its start.
      const uint32_t tail = WindowSize - d->flushPos < pending ? WindowSize - d->flushPos : pending;
      e.sink.hand(e.sink.context, d->window + d->flushPos, tail);
      if (pending > tail) e.sink.hand(e.sink.context, d->window, pending - tail);
      e.delivered += pending;
    }
  } else if (e.output != nullptr) {
    if (uint64_t(e.delivered) + pending > e.capacity) {
      e.left = 0;
    } else if (e.direct) {
      e.delivered += pending;
    } else if (d->writePos >= d->flushPos) {
      std::memcpy(e.output + e.delivered, d->window + d->flushPos, pending);
      e.delivered += pending;
    } else {
      const uint32_t tail = WindowSize - d->flushPos;
      std::memcpy(e.output + e.delivered, d->window + d->flushPos, tail);
      std::memcpy(e.output + e.delivered + tail, d->window, d->writePos);
      e.delivered += pending;
    }
  }
  d->flushPos = d->writePos;
}

void FillWindowFromOutput(Rar20Decoder* d) {
  const EntryProgress& e = d->entry;
  const uint32_t n = e.produced < WindowSize ? e.produced : WindowSize;
  const uint8_t* from = e.output + (e.produced - n);
  const uint32_t at = (e.start + (e.produced - n)) & WindowMask;
  const uint32_t tail = WindowSize - at < n ? WindowSize - at : n;
  std::memcpy(d->window + at, from, tail);
  std::memcpy(d->window, from + tail, n - tail);
}

// The window moves on to where the broken entry would have ended, its
// missing bytes taken as zeros, so that a solid entry after it finds its own
// matches at the distances its writer meant; whatever it copies from the
// broken extent fails its CRC test.
void PassOverBrokenExtent(Rar20Decoder* d, uint32_t missing) {
  uint8_t* w = d->window;
  const uint32_t at = d->writePos & WindowMask;
  if (missing >= WindowSize) {
    std::memset(w, 0, WindowSize);
  } else {
    const uint32_t tail = WindowSize - at < missing ? WindowSize - at : missing;
    std::memset(w + at, 0, tail);
    std::memset(w, 0, missing - tail);
  }
  d->writePos = (at + missing) & WindowMask;
  d->flushPos = d->writePos;
}
