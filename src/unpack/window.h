// The 1 MiB sliding window: match copies over its wrap, delivery of pending
// bytes into the output, and the passing over of a broken entry's extent.
#pragma once

#include <cstdint>
#include <cstring>

#include "unpack/compressed_format.h"
#include "unpack/hot_inline.h"

struct Rar20Decoder;

constexpr uint32_t WindowMask = WindowSize - 1;
// The most one pass of the loop writes: a new match of 224 + 31 + 3 + 2
// bytes, or a recent-distance match of 224 + 31 + 2 + 3.
constexpr uint32_t MaxPassBytes = LongestMatch;
static_assert((WindowSize & WindowMask) == 0, "positions wrap by masking");

HotInline void Copy8(uint8_t* to, const uint8_t* from) {
  uint64_t v;
  std::memcpy(&v, from, 8);
  std::memcpy(to, &v, 8);
}

HotInline void Copy4(uint8_t* to, const uint8_t* from) {
  uint32_t v;
  std::memcpy(&v, from, 4);
  std::memcpy(to, &v, 4);
}

// Copies length bytes from `from`, distance bytes behind `to`, with the
// effect of a forward byte-at-a-time copy, neither side wrapping. Nothing
// outside the length bytes is written.
HotInline void CopyForward(uint8_t* to, const uint8_t* from, uint32_t length, uint32_t distance) {
  if (distance >= 8 && length >= 8) {
    // Each step reads bytes at least 8 back, all written already; the last
    // step ends exactly at the match end, rewriting equal bytes.
    uint32_t i = 0;
    do {
      Copy8(to + i, from + i);
      i += 8;
    } while (i + 8 < length);
    Copy8(to + length - 8, from + length - 8);
  } else if (distance >= length && length >= 4) {
    Copy4(to, from);
    Copy4(to + length - 4, from + length - 4);
  } else if (distance == 1) {
    // A run of one byte, filled eight at a time (no library call: the loop
    // around this keeps its state in registers).
    const uint64_t v = 0x0101010101010101ull * *from;
    uint32_t i = 0;
    for (; i + 8 <= length; i += 8) std::memcpy(to + i, &v, 8);
    for (; i < length; i++) to[i] = uint8_t(v);
  } else {
    for (uint32_t i = 0; i < length; i++) to[i] = from[i];
  }
}

// Bytes past a match's end that a copy into the output may write: its
// first 32 bytes are written whatever its length.
constexpr uint32_t CopyOverrun = 32;

// CopyForward for the output, where the bytes just past the match are still
// to be written (or the output's slack): eight at a time, the first 32
// whatever the length and the last step running up to 7 bytes past the
// end, so that the branches of most matches depend on the distance alone
// and not on the length (which a branch cannot foretell). Each step's
// bytes lie distance back, written already, even the bytes of the step
// just before.
HotInline void CopyForwardPast(uint8_t* to, const uint8_t* from, uint32_t length,
                               uint32_t distance) {
  uint32_t i = 0;
  if (distance >= 8) {
    Copy8(to, from);
    Copy8(to + 8, from + 8);
    Copy8(to + 16, from + 16);
    Copy8(to + 24, from + 24);
    for (i = 32; i < length; i += 8) Copy8(to + i, from + i);
  } else if (distance == 1) {
    const uint64_t v = 0x0101010101010101ull * *from;
    do {
      std::memcpy(to + i, &v, 8);
      i += 8;
    } while (i < length);
  } else {
    // Steps of the distance: a step's first distance bytes are right (they
    // come from before it); the rest it writes, the next step writes again.
    do {
      Copy8(to + i, from + i);
      i += distance;
    } while (i < length);
  }
}

// Copies length bytes from distance back to dst, with the effect of a
// forward byte-at-a-time copy over the wrapping window; returns the new
// write position. Nothing outside the length bytes is written: bytes ahead
// of dst are the oldest of the window and later matches may still read them.
HotInline uint32_t CopyWindowBytes(uint8_t* w, uint32_t dst, uint32_t length, uint32_t distance) {
  const uint32_t src = (dst - distance) & WindowMask;
  // Neither side wraps, and the source lies wholly behind the destination or
  // at least length bytes ahead of it (a distance near the window size puts
  // the wrapped source just ahead).
  if (dst + length <= WindowSize && src + length <= WindowSize && distance <= WindowSize - length) {
    CopyForward(w + dst, w + src, length, distance);
    return (dst + length) & WindowMask;
  }
  for (uint32_t i = 0, s = src; i < length; i++) {
    w[dst] = w[s];
    dst = (dst + 1) & WindowMask;
    s = (s + 1) & WindowMask;
  }
  return dst;
}

// Copies length bytes from distance back to output position at, with the
// effect of a forward byte-at-a-time copy, and may write up to CopyOverrun
// bytes past them; returns the position after them.
// A source before the entry's first byte reads the window as the entry
// found it, in which the entry's position 0 is window position start; a
// null window stands for one of zeros.
HotInline uint32_t CopyOutputBytes(uint8_t* out, uint32_t at, uint32_t length, uint32_t distance,
                                   const uint8_t* window, uint32_t start) {
  uint8_t* to = out + at;
  // A distance of 0 (a repeat of a recent distance that was never set, in
  // damaged data) reads, as through the window, the byte a whole window
  // back: the slow path takes it with the distances past the entry's start.
  if (__builtin_expect(distance - 1 >= at, 0)) {
    if (distance == 0) distance = WindowSize;
    for (uint32_t i = 0; i < length; i++) {
      const uint32_t from = at + i - distance;  // wraps below 0
      to[i] = at + i >= distance  ? out[from]
              : window != nullptr ? window[(start + from) & WindowMask]
                                  : 0;
    }
    return at + length;
  }
  CopyForwardPast(to, to - distance, length, distance);
  return at + length;
}

// Takes an entry's bytes in order, a piece at a time, as they are delivered.
struct PieceSink {
  void (*hand)(void* context, const uint8_t* bytes, uint32_t count);
  void* context;
};

// Writes the zeros a reset left the window in name only (see windowZero).
void MakeWindowReal(Rar20Decoder* d);

// Delivers the pending bytes (flushPos up to writePos) into the entry's
// output or to its sink, or drops them from delivery when it has neither. A delivery that
// would pass the output's capacity copies nothing and ends the entry. When
// the entry is decoded straight into the output the bytes are there
// already: only the count moves.
void FlushWindow(Rar20Decoder* d);

// After an entry decoded straight into its output: its last bytes (up to
// a window's worth) copied into the window where the window would hold
// them.
void FillWindowFromOutput(Rar20Decoder* d);

// Moves the window on by `missing` zero bytes, never delivered: where a
// broken entry would have ended.
void PassOverBrokenExtent(Rar20Decoder* d, uint32_t missing);
