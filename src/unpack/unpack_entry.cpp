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
constexpr uint32_t WindowSize = WindowMask + 1;
// The most one pass can read and write: an audio byte is one symbol of up to
// 15 bits; a match takes up to 15 + 5 + 15 + 16 bits and writes up to 260
// bytes.
constexpr uint32_t AudioPassBits = 15;
constexpr uint32_t LzPassBits = 51;
constexpr uint32_t LzPassBytes = 260;

// How many passes may run before the next checks: the first pass has had
// them; each later one needs the input position still quiet and the flush
// margin still free, even if every earlier pass read and wrote its most.
inline uint32_t RunLength(uint32_t quietRoom, uint32_t passBits, uint32_t flushRoom,
                          uint32_t passBytes) {
  const uint32_t byBits = quietRoom / passBits + 1;
  const uint32_t byBytes = flushRoom / passBytes + 1;
  return byBits < byBytes ? byBits : byBytes;
}

inline void Copy8(uint8_t* to, const uint8_t* from) {
  uint64_t v;
  std::memcpy(&v, from, 8);
  std::memcpy(to, &v, 8);
}

inline void Copy4(uint8_t* to, const uint8_t* from) {
  uint32_t v;
  std::memcpy(&v, from, 4);
  std::memcpy(to, &v, 4);
}

// Copies length bytes from distance back to dst, with the effect of a
// forward byte-at-a-time copy over the wrapping window; returns the new
// write position. Nothing outside the length bytes is written: bytes ahead
// of dst are the oldest of the window and later matches may still read them.
inline uint32_t CopyWindowBytes(uint8_t* w, uint32_t dst, uint32_t length, uint32_t distance) {
  const uint32_t src = (dst - distance) & WindowMask;
  // Neither side wraps, and the source lies wholly behind the destination or
  // at least length bytes ahead of it (a distance near the window size puts
  // the wrapped source just ahead).
  if (dst + length <= WindowSize && src + length <= WindowSize && distance <= WindowSize - length) {
    uint8_t* to = w + dst;
    const uint8_t* from = w + src;
    if (distance >= 8 && length >= 8) {
      // Each step reads bytes at least 8 back, all written already; the
      // last step ends exactly at the match end, rewriting equal bytes.
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
      // A run of one byte, filled eight at a time (no library call: the
      // loop around this keeps its state in registers).
      const uint64_t v = 0x0101010101010101ull * *from;
      uint32_t i = 0;
      for (; i + 8 <= length; i += 8) std::memcpy(to + i, &v, 8);
      for (; i < length; i++) to[i] = uint8_t(v);
    } else {
      for (uint32_t i = 0; i < length; i++) to[i] = from[i];
    }
    return (dst + length) & WindowMask;
  }
  for (uint32_t i = 0, s = src; i < length; i++) {
    w[dst] = w[s];
    dst = (dst + 1) & WindowMask;
    s = (s + 1) & WindowMask;
  }
  return dst;
}

inline void PushDistance(Rar20Decoder& d, uint32_t length, uint32_t distance) {
  d.recentDistances[d.recentCount & 3] = distance;
  d.recentCount++;
  d.prevMatchDistance = distance;
  d.prevMatchLength = length;
}

// Decodes up to run audio bytes into the window and returns how many. It
// stops early after a byte that makes a channel's adaptation due (setting
// *due to that channel, for the caller to adapt; so the loop makes no calls
// and keeps its state in registers), or at a block header symbol (256),
// which is consumed. One instance per channel count: after the first round,
// each byte's table and predictor are fixed addresses, not indexed.
template <uint32_t Channels>
__attribute__((noinline)) uint32_t DecodeAudioRunOf(BitRegister* bits, uint32_t* writePos,
                                                    uint32_t* channel, int32_t* cross, uint32_t run,
                                                    ChannelPredictor** due) {
  Rar20Decoder& d = decoder;
  const uint8_t* const buffer = d.input.buffer;
  uint8_t* const w = d.window;
  BitRegister in;
  CopyBitRegister(&in, *bits);
  uint32_t at = *writePos, ch = *channel;
  int32_t x = *cross;
  uint32_t done = 0;
  *due = nullptr;
  // One byte on channel k; false when the run stops there. ch is left at
  // the channel of the next byte.
  auto step = [&](uint32_t k) __attribute__((always_inline)) {
    ch = k;
    if (done == run) return false;
    const HuffTable* const table = &d.audioTables[k];
    const uint32_t entry = QuickEntry(table, in);
    // A top-up leaves 56 bits or more: enough for two symbols of up to 15
    // bits and the lookup of a third.
    if (done % 2 == 0) TopUpBits(&in, buffer);
    const uint32_t s = FinishSymbol(table, &in, entry);
    if (s == 256) return false;
    ChannelPredictor* const p = &d.channels[k];
    w[at] = PredictAudioByte(p, &x, s);
    at = (at + 1) & WindowMask;
    done++;
    ch = k + 1 == Channels ? 0 : k + 1;
    if (AdaptationDue(p)) {
      *due = p;
      return false;
    }
    return true;
  };
  // The rest of the round the run starts in, then whole rounds.
  for (uint32_t k = ch; k != 0 && k < Channels; k++)
    if (!step(k)) goto stop;
  for (;;) {
    if (!step(0)) break;
    if (Channels > 1 && !step(1)) break;
    if (Channels > 2 && !step(2)) break;
    if (Channels > 3 && !step(3)) break;
  }
stop:
  CopyBitRegister(bits, in);
  *writePos = at;
  *channel = ch;
  *cross = x;
  return done;
}

uint32_t DecodeAudioRun(BitRegister* bits, uint32_t* writePos, uint32_t* channel, int32_t* cross,
                        uint32_t run, ChannelPredictor** due) {
  switch (decoder.channelCount) {
    case 1:
      return DecodeAudioRunOf<1>(bits, writePos, channel, cross, run, due);
    case 2:
      return DecodeAudioRunOf<2>(bits, writePos, channel, cross, run, due);
    case 3:
      return DecodeAudioRunOf<3>(bits, writePos, channel, cross, run, due);
    default:
      return DecodeAudioRunOf<4>(bits, writePos, channel, cross, run, due);
  }
}

// Runs up to run passes of an LZ block, while remaining stays at 0 or more;
// returns true when it stopped at a block header symbol (269), which is
// consumed. Its own call-free function, so that its state stays in
// registers.
__attribute__((noinline)) bool DecodeLzRun(BitRegister* bits, uint32_t* writePos,
                                           int32_t* remaining, uint32_t run) {
  Rar20Decoder& d = decoder;
  const uint8_t* const buffer = d.input.buffer;
  uint8_t* const w = d.window;
  BitRegister in;
  CopyBitRegister(&in, *bits);
  uint32_t at = *writePos;
  int32_t left = *remaining;
  bool header = false;
  // Passes run only while left >= 0. A literal takes one from it, so a
  // bound on the passes, renewed after every match, spares the literals
  // that test.
  if (run > uint32_t(left) + 1) run = uint32_t(left) + 1;
  do {
    // After the top-up the register holds at least 56 bits, 41 of them
    // after the symbol: enough for the rest of any match.
    const uint32_t entry = QuickEntry(&d.literalTable, in);
    TopUpBits(&in, buffer);
    const uint32_t s = FinishSymbol(&d.literalTable, &in, entry);
    if (s < 256) {
      w[at] = uint8_t(s);
      at = (at + 1) & WindowMask;
      left--;
      continue;
    }
    uint32_t length, distance;
    if (s >= 270) {
      const uint32_t k = s - 270;
      length = lengthBase[k] + 3u + TakeBits(&in, lengthBits[k]);
      const uint32_t slot = TakeSymbol(&d.distanceTable, &in);
      distance = distanceBase[slot] + 1u + TakeBits(&in, distanceBits[slot]);
      if (distance >= 0x40000) length++;
      if (distance >= 0x2000) length++;
    } else if (s == 256) {
      length = d.prevMatchLength;
      distance = d.prevMatchDistance;
    } else if (s < 261) {
      distance = d.recentDistances[(d.recentCount - (s - 256)) & 3];
      const uint32_t k = TakeSymbol(&d.repLengthTable, &in);
      length = lengthBase[k] + 2u + TakeBits(&in, lengthBits[k]);
      if (distance >= 0x40000) length++;
      if (distance >= 0x2000) length++;
      if (distance >= 0x101) length++;
    } else if (s < 269) {
      const uint32_t k = s - 261;
      distance = shortBase[k] + 1u + TakeBits(&in, shortBits[k]);
      length = 2;
    } else {
      header = true;
      break;
    }
    TopUpBits(&in, buffer);
    PushDistance(d, length, distance);
    left -= int32_t(length);
    at = CopyWindowBytes(w, at, length, distance);
    if (left < 0) break;
    if (run > uint32_t(left) + 1) run = uint32_t(left) + 1;
  } while (--run > 0);
  CopyBitRegister(bits, in);
  *writePos = at;
  *remaining = left;
  return header;
}

// The passes of the loop. The input bits, the write position, the count
// left, the flush position, the current channel and the last audio delta
// live in locals; they are stored back before anything that reads them from
// the state (a slide, a delivery, a block header) and taken up again after.
void DecodeLoop() {
  Rar20Decoder& d = decoder;
  ReaderState& r = readerState;
  const uint8_t* const buffer = d.input.buffer;
  BitRegister in{};
  uint32_t writePos = 0, flushPos = 0, channel = 0;
  int32_t remaining = 0, cross = 0;
  bool audio = false;
  // While the position stays at or below this bit, a pass needs neither a
  // slide nor the data-end test.
  uint32_t quietBits = 0;
  auto store = [&] {
    const uint32_t position = BitRegisterPosition(in);
    d.input.bytePos = position >> 3;
    d.input.bitPos = position & 7;
    d.writePos = writePos;
    d.currentChannel = channel;
    d.crossDelta = cross;
    r.remaining = remaining;
  };
  auto load = [&] {
    LoadBitRegister(&in, buffer, d.input.bytePos * 8 + d.input.bitPos);
    writePos = d.writePos & WindowMask;
    flushPos = d.flushPos;
    channel = d.currentChannel;
    cross = d.crossDelta;
    remaining = r.remaining;
    audio = d.audioMode;
    const uint32_t slideBits = LoopSlideAt * 8 + 7;
    const uint32_t endBits = d.input.dataEnd * 8;
    quietBits = slideBits < endBits ? slideBits : endBits;
  };
  load();

  while (remaining >= 0 && !d.dataError) {
    // The pending bytes are within FlushMargin of filling the window.
    const bool flushDue = ((flushPos - writePos - 1) & WindowMask) < FlushMargin - 1;
    if (BitRegisterPosition(in) > quietBits || flushDue) {
      if ((BitRegisterPosition(in) >> 3) > LoopSlideAt) {
        store();
        SlideInput();
        load();
      }
      // Intact data never runs out before the entry's size is reached; on
      // broken data this also bounds passes that produce no bytes.
      if (BitRegisterPosition(in) > d.input.dataEnd * 8) {
        d.dataError = true;
        break;
      }
      if (flushDue) {
        store();
        FlushWindow();
        load();
      }
    }
    // A run of passes with no checks between them: it ends before a slide
    // or the data-end test could be due, before the pending bytes come
    // within the flush margin, and at the entry's end.
    const uint32_t position = BitRegisterPosition(in);
    const uint32_t quietRoom = position <= quietBits ? quietBits - position : 0;
    const uint32_t flushRoom = ((flushPos - writePos - 1) & WindowMask) - (FlushMargin - 1);
    bool header = false;
    if (audio) {
      uint32_t run = RunLength(quietRoom, AudioPassBits, flushRoom, 1);
      if (run > uint32_t(remaining) + 1) run = uint32_t(remaining) + 1;
      for (;;) {
        ChannelPredictor* due;
        const uint32_t done = DecodeAudioRun(&in, &writePos, &channel, &cross, run, &due);
        remaining -= int32_t(done);
        run -= done;
        if (due == nullptr) {
          header = run > 0;
          break;
        }
        AdaptChannel(due);
        if (run == 0) break;
      }
    } else {
      const uint32_t run = RunLength(quietRoom, LzPassBits, flushRoom, LzPassBytes);
      header = DecodeLzRun(&in, &writePos, &remaining, run);
    }
    if (header) {
      store();
      ReadBlockTables();
      load();
    }
  }
  store();
}

}  // namespace

void ResetDecoder(bool solid) {
  Rar20Decoder& d = decoder;
  d.input.bytePos = 0;
  d.input.bitPos = 0;
  // A broken entry before this one has already brought the window to where
  // it would have ended; this entry's own data and CRC decide for it.
  d.dataError = false;
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
}

void CopyMatch(uint32_t length, uint32_t distance) {
  Rar20Decoder& d = decoder;
  PushDistance(d, length, distance);
  readerState.remaining -= int32_t(length);
  d.writePos = CopyWindowBytes(d.window, d.writePos & WindowMask, length, distance);
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

// A broken entry stops early and fails. The window still moves on to where
// the entry would have ended, its missing bytes taken as zeros and never
// delivered, so that a solid entry after it finds its own matches at the
// distances its writer meant; whatever it copies from the broken extent
// fails its CRC test.
void PassOverBrokenExtent(uint32_t missing) {
  Rar20Decoder& d = decoder;
  constexpr uint32_t Span = WindowMask + 1;
  uint8_t* w = d.window;
  const uint32_t at = d.writePos & WindowMask;
  if (missing >= Span) {
    std::memset(w, 0, Span);
  } else {
    const uint32_t tail = Span - at < missing ? Span - at : missing;
    std::memset(w + at, 0, tail);
    std::memset(w, 0, missing - tail);
  }
  d.writePos = (at + missing) & WindowMask;
  d.flushPos = d.writePos;
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
  const uint32_t entrySize = uint32_t(r.remaining);
  if (r.remaining < 0)
    d.dataError = true;
  else
    r.remaining--;
  DecodeLoop();
  uint32_t missing = 0;
  if (d.dataError) {
    if (entrySize >= 0x80000000u)
      missing = entrySize;
    else if (r.remaining >= 0)
      missing = uint32_t(r.remaining) + 1;
    r.remaining = -1;
  }
  ReadTrailingTables();
  FlushWindow();
  if (d.dataError) PassOverBrokenExtent(missing);
}
