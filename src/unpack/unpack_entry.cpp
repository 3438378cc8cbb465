// The decoding loop of one compressed entry: symbols into the 1 MiB window,
// pending bytes delivered to the reader's output in large batches.
#include "unpack/unpack_entry.h"

#include <cstring>

#include "archive/reader_state.h"
#include "unpack/rar20_decoder.h"

Rar20Decoder decoder;
uint64_t decodedByteCount = 0;

namespace {

constexpr uint32_t LoopSlideAt = 8162;
// More than the longest write of one pass (260 bytes), so that a pass never
// overwrites bytes still waiting for delivery.
constexpr uint32_t FlushMargin = 270;

void DecodeLzSymbol(uint32_t s) {
  Rar20Decoder& d = decoder;
  if (s < 256) {
    d.window[d.writePos] = uint8_t(s);
    d.writePos = (d.writePos + 1) & WindowMask;
    readerState.remaining--;
  } else if (s == 256) {
    CopyMatch(d.prevMatchLength, d.prevMatchDistance);
  } else if (s < 261) {
    const uint32_t distance = d.recentDistances[(d.recentCount - (s - 256)) & 3];
    const uint32_t r = DecodeSymbol(&d.repLengthTable);
    uint32_t length = lengthBase[r] + 2u;
    if (lengthBits[r] > 0) length += ReadBits(lengthBits[r]);
    if (distance >= 0x40000) length++;
    if (distance >= 0x2000) length++;
    if (distance >= 0x101) length++;
    CopyMatch(length, distance);
  } else if (s < 269) {
    const uint32_t k = s - 261;
    const uint32_t distance = shortBase[k] + 1u + ReadBits(shortBits[k]);
    CopyMatch(2, distance);
  } else if (s == 269) {
    ReadBlockTables();
  } else {
    const uint32_t k = s - 270;
    uint32_t length = lengthBase[k] + 3u;
    if (lengthBits[k] > 0) length += ReadBits(lengthBits[k]);
    const uint32_t slot = DecodeSymbol(&d.distanceTable);
    uint32_t distance = distanceBase[slot] + 1u;
    if (distanceBits[slot] > 0) distance += ReadBits(distanceBits[slot]);
    if (distance >= 0x40000) length++;
    if (distance >= 0x2000) length++;
    CopyMatch(length, distance);
  }
}

void DecodeAudioSymbol() {
  Rar20Decoder& d = decoder;
  const uint32_t s = DecodeSymbol(&d.audioTables[d.currentChannel]);
  if (s == 256) {
    ReadBlockTables();
    return;
  }
  d.window[d.writePos] = DecodeAudioByte(s);
  d.writePos = (d.writePos + 1) & WindowMask;
  if (++d.currentChannel == d.channelCount) d.currentChannel = 0;
  readerState.remaining--;
}

}  // namespace

void ResetDecoder(bool solid) {
  Rar20Decoder& d = decoder;
  d.input.bytePos = 0;
  d.input.bitPos = 0;
  if (solid) return;
  std::memset(d.channels, 0, sizeof d.channels);
  d.crossDelta = 0;
  d.currentChannel = 0;
  std::memset(d.recentDistances, 0, sizeof d.recentDistances);
  d.recentCount = 0;
  d.prevMatchLength = 0;
  d.prevMatchDistance = 0;
  std::memset(d.window, 0, WindowMask + 1);
  std::memset(d.previousLengths, 0, sizeof d.previousLengths);
  d.flushPos = 0;
  d.writePos = 0;
  d.dataError = false;
}

void CopyMatch(uint32_t length, uint32_t distance) {
  Rar20Decoder& d = decoder;
  d.recentDistances[d.recentCount & 3] = distance;
  d.recentCount++;
  d.prevMatchDistance = distance;
  d.prevMatchLength = length;
  readerState.remaining -= int32_t(length);
  uint8_t* w = d.window;
  uint32_t dst = d.writePos;
  uint32_t src = (dst - distance) & WindowMask;
  // Far enough from the window's end and from its own source to copy as one block.
  // The source must not reach the destination from either side: a distance
  // near the window size puts the wrapped source just ahead of it.
  if (distance >= length && WindowMask + 1 - distance >= length && dst + length <= WindowMask &&
      src + length <= WindowMask) {
    std::memcpy(w + dst, w + src, length);
    d.writePos = dst + length;
    return;
  }
  for (uint32_t i = 0; i < length; i++) {
    w[dst] = w[src];
    dst = (dst + 1) & WindowMask;
    src = (src + 1) & WindowMask;
  }
  d.writePos = dst;
}

void FlushWindow() {
  Rar20Decoder& d = decoder;
  ReaderState& r = readerState;
  // Every byte written since the last flush is pending now: no pass writes
  // a whole window's worth between two flushes.
  decodedByteCount += (d.writePos - d.flushPos) & WindowMask;
  if (r.outputEnabled && r.output != nullptr && r.outputCount != nullptr) {
    const uint32_t pending = (d.writePos - d.flushPos) & WindowMask;
    const uint32_t count = *r.outputCount;
    if (uint64_t(count) + pending > r.outputCapacity) {
      r.remaining = -1;
    } else if (d.writePos >= d.flushPos) {
      std::memcpy(r.output + count, d.window + d.flushPos, pending);
      *r.outputCount = count + pending;
    } else {
      const uint32_t tail = WindowMask + 1 - d.flushPos;
      std::memcpy(r.output + count, d.window + d.flushPos, tail);
      std::memcpy(r.output + count + tail, d.window, d.writePos);
      *r.outputCount = count + pending;
    }
  }
  d.flushPos = d.writePos;
}

void ReadTrailingTables() {
  Rar20Decoder& d = decoder;
  if (d.dataError || d.input.validBytes < d.input.bytePos + 5) return;
  if (d.audioMode) {
    if (DecodeSymbol(&d.audioTables[d.currentChannel]) == 256) ReadBlockTables();
  } else {
    if (DecodeSymbol(&d.literalTable) == 269) ReadBlockTables();
  }
}

void UnpackEntry(uint8_t* window) {
  Rar20Decoder& d = decoder;
  ReaderState& r = readerState;
  d.window = window;
  // The first entry a request decodes has no earlier state to continue,
  // whatever its solid bit says.
  const bool solid = (r.entry.flags & EntryFlagSolid) != 0 && !r.windowFresh;
  r.windowFresh = false;
  ResetDecoder(solid);
  FillInput();
  if (!solid) ReadBlockTables();
  // The count is signed: an entry of 2 GiB or more cannot be produced.
  if (r.remaining < 0)
    d.dataError = true;
  else
    r.remaining--;
  while (r.remaining >= 0 && !d.dataError) {
    d.writePos &= WindowMask;
    if (d.input.bytePos > LoopSlideAt) SlideInput();
    // Intact data never runs out before the entry's size is reached; on
    // broken data this also bounds passes that produce no bytes.
    if (InputExhausted()) {
      d.dataError = true;
      break;
    }
    if (d.flushPos != d.writePos && ((d.flushPos - d.writePos) & WindowMask) < FlushMargin)
      FlushWindow();
    if (d.audioMode)
      DecodeAudioSymbol();
    else
      DecodeLzSymbol(DecodeSymbol(&d.literalTable));
  }
  if (d.dataError) r.remaining = -1;
  ReadTrailingTables();
  FlushWindow();
}
