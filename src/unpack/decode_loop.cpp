#include "unpack/decode_loop.h"

#include <type_traits>

#include "unpack/block_tables.h"
#include "unpack/compressed_format.h"
#include "unpack/rar20_decoder.h"
#include "unpack/window.h"

namespace {

// More than the longest write of one pass, so that a pass never overwrites
// bytes still waiting for delivery.
constexpr uint32_t FlushMargin = 270;
static_assert(FlushMargin > MaxPassBytes, "a pass must not reach pending bytes");
// The most one pass can read: an audio byte is one symbol of up to 15 bits;
// a match takes up to 15 + 5 + 15 + 16 bits.
constexpr uint32_t AudioPassBits = 15;
constexpr uint32_t LzPassBits = 51;
static_assert(AudioPassBits == MaxCodeLength &&
                  LzPassBits == MaxCodeLength + lengthBits[RepLengthSymbols - 1] + MaxCodeLength +
                                    distanceBits[DistanceSymbols - 1],
              "the longest symbols and extra bits of one pass");
// Bytes a pass may read from its first unread byte on: its bits, the
// register's bytes loaded ahead of them (up to 63 bits) and a top-up's
// eight-byte load.
constexpr uint32_t LoopReadAhead = (7 + LzPassBits + 63) / 8 + 8;
static_assert(LoopReadAhead <= MaxReadAhead, "a pass's reads within the room asked for");

// Where the loop writes: into the window at a masked position, or straight
// into the entry's output at a plain one (see EntryProgress::direct). The
// runs hold the position as a cursor: a pointer into the output, so that
// 32-bit code needs no register for the output's start, or the window
// position.
template <bool Direct>
struct Target {
  using Cursor = std::conditional_t<Direct, uint8_t*, uint32_t>;
  uint8_t* bytes;         // the window or the output
  const uint8_t* window;  // the window, read by matches that reach before the entry
  uint32_t start;         // window position of the output's first byte

  HotInline Cursor Enter(uint32_t at) const {
    if constexpr (Direct)
      return bytes + at;
    else
      return at;
  }
  HotInline uint32_t Leave(Cursor c) const {
    if constexpr (Direct)
      return uint32_t(c - bytes);
    else
      return c;
  }
  HotInline Cursor Put(Cursor c, uint8_t b) const {
    if constexpr (Direct) {
      *c = b;
      return c + 1;
    } else {
      bytes[c] = b;
      return (c + 1) & WindowMask;
    }
  }
  HotInline Cursor Copy(Cursor c, uint32_t length, uint32_t distance) const {
    if constexpr (Direct)
      return bytes + CopyOutputBytes(bytes, uint32_t(c - bytes), length, distance, window, start);
    else
      return CopyWindowBytes(bytes, c, length, distance);
  }
  // Bytes written from the cursor from on to the cursor to (fewer than a
  // window's worth).
  HotInline uint32_t Produced(Cursor from, Cursor to) const {
    if constexpr (Direct)
      return uint32_t(to - from);
    else
      return (to - from) & WindowMask;
  }
  // The window position that at stands for.
  HotInline uint32_t WindowPos(uint32_t at) const {
    return Direct ? (start + at) & WindowMask : at;
  }
};

// How many passes may run before the next checks: the first pass has had
// them; each later one needs the input position still quiet and the flush
// margin still free, even if every earlier pass read and wrote its most.
inline uint32_t RunLength(uint32_t quietRoom, uint32_t passBits, uint32_t flushRoom,
                          uint32_t passBytes) {
  const uint32_t byBits = quietRoom / passBits + 1;
  const uint32_t byBytes = flushRoom / passBytes + 1;
  return byBits < byBytes ? byBits : byBytes;
}

HotInline void PushDistance(Rar20Decoder* d, uint32_t length, uint32_t distance) {
  d->recentDistances[d->recentCount & 3] = distance;
  d->recentCount++;
  d->prevMatchDistance = distance;
  d->prevMatchLength = length;
}

// Decodes up to run audio bytes into the window and returns how many,
// adapting each channel's weights when due (*due is left null). It stops
// early at a block header symbol (256), which is consumed. One instance per
// channel count: after the first round, each byte's table and predictor are
// fixed addresses, not indexed.
template <uint32_t Channels, bool Direct>
__attribute__((noinline)) uint32_t DecodeAudioRunOf(Rar20Decoder* d, const Target<Direct> w,
                                                    BitRegister* bits, uint32_t* writePos,
                                                    uint32_t* channel, int32_t* cross, uint32_t run,
                                                    ChannelPredictor** due) {
  BitRegister in;
  CopyBitRegister(&in, *bits);
  typename Target<Direct>::Cursor at = w.Enter(*writePos);
  uint32_t ch = *channel;
  int32_t x = *cross;
  uint32_t done = 0;
  *due = nullptr;
  // The next symbol's error on channel k into *s; false at a block header
  // symbol.
  auto symbol = [&](uint32_t k, int32_t * s) __attribute__((always_inline)) {
    const HuffTable* const table = &d->audioTables[k];
    // A 64-bit top-up leaves 56 bits or more: enough for two symbols of up
    // to 15 bits and the lookup of a third, so the bytes of even channels
    // top up; a 32-bit one, for one symbol.
    if (NarrowBitWord) TopUpBits(&in);
    const uint32_t entry = QuickEntry(table, in);
    if (!NarrowBitWord && k % 2 == 0) TopUpBits(&in);
    *s = EntrySignedValue(FinishEntry(table, &in, entry));
    return *s != AudioHeaderValue;
  };
  // One byte on channel k; false when the run stops there. ch is left at
  // the channel of the next byte.
  auto step = [&](uint32_t k) __attribute__((always_inline)) {
    ch = k;
    int32_t s;
    if (done == run || !symbol(k, &s)) return false;
    ChannelPredictor* const p = &d->channels[k];
    // Every 32 bytes of a channel, just before its next byte: the bytes of
    // the other channels between give the window's last stores time to
    // reach the cache, where the adaptation's wide loads read them without
    // waiting. On several channels that comes every few bytes, so the run
    // adapts in place instead of returning for it.
    if (AdaptationDue(p)) AdaptChannel(p);
    at = w.Put(at, PredictAudioByte(p, &x, s));
    done++;
    ch = k + 1 == Channels ? 0 : k + 1;
    return true;
  };
  // Each channel's row (see ChannelRow) at its slot at a stretch's start.
  uint8_t* row[Channels];
  // A byte of channel k in a stretch of rounds that ends no window: its
  // slot is round i's from the stretch's start, and the count moves at the
  // stretch's end.
  auto quick = [&](uint32_t k, uint32_t i) __attribute__((always_inline)) {
    int32_t s;
    if (!symbol(k, &s)) return false;
    at = w.Put(at, PredictAudioByteIn(&d->channels[k], row[k] + 2 * i, &x, s));
    return true;
  };
  // The rest of the round the run starts in, then whole rounds.
  for (uint32_t k = ch; k != 0 && k < Channels; k++)
    if (!step(k)) goto stop;
  for (;;) {
    // A round that adapts a channel whose window has ended before its byte.
    if (!step(0)) break;
    if (Channels > 1 && !step(1)) break;
    if (Channels > 2 && !step(2)) break;
    if (Channels > 3 && !step(3)) break;
    // Then the rounds before any channel ends a window: each byte's slot is
    // its channel's slot at their start plus the round's number, and no
    // byte checks for an adaptation or moves a count.
    uint32_t rounds = (run - done) / Channels;
    for (uint32_t k = 0; k < Channels; k++) {
      ChannelPredictor* const p = &d->channels[k];
      const uint32_t first = p->sampleCount % AdaptationBytes;
      row[k] = ChannelRow(p, first);
      const uint32_t room = AdaptationDue(p) ? 0 : AdaptationBytes - first;
      if (room < rounds) rounds = room;
    }
    // Where a header symbol stopped them: in round i, at channel partial.
    uint32_t i = 0, partial = 0;
    bool header = false;
    for (; i < rounds; i++) {
      if (!quick(0, i)) {
        header = true;
        break;
      }
      if (Channels > 1 && !quick(1, i)) {
        partial = 1, header = true;
        break;
      }
      if (Channels > 2 && !quick(2, i)) {
        partial = 2, header = true;
        break;
      }
      if (Channels > 3 && !quick(3, i)) {
        partial = 3, header = true;
        break;
      }
    }
    for (uint32_t k = 0; k < Channels; k++) d->channels[k].sampleCount += i + (k < partial);
    done += i * Channels + partial;
    if (header) {
      ch = partial;
      break;
    }
  }
stop:
  CopyBitRegister(bits, in);
  *writePos = w.Leave(at);
  *channel = ch;
  *cross = x;
  return done;
}

// DecodeAudioRunOf for one channel, with the channel's state in registers
// through the run: each byte's prediction then waits only on the delta of
// the byte before, not on stores of it. The run ends at the adaptation, so
// its length is known and only a block header symbol can stop it early.
template <bool Direct>
__attribute__((noinline)) uint32_t DecodeMonoRun(Rar20Decoder* d, const Target<Direct> w,
                                                 BitRegister* bits, uint32_t* writePos,
                                                 int32_t* cross, uint32_t run,
                                                 ChannelPredictor** due) {
  const HuffTable* const table = &d->audioTables[0];
  ChannelPredictor* const p = &d->channels[0];
  // Left by a run on several channels.
  if (AdaptationDue(p)) AdaptChannel(p);
  BitRegister in;
  CopyBitRegister(&in, *bits);
  typename Target<Direct>::Cursor at = w.Enter(*writePos);
  const uint32_t first = p->sampleCount % AdaptationBytes;
  const uint32_t room = AdaptationBytes - first;
  const uint32_t length = run < room ? run : room;
  // On one channel x is D1 after the run's first byte (which may follow
  // another channel's: its x is *cross), so D1's weight takes w5 in: only
  // one product waits from one byte to the next.
  const int32_t w5 = p->weight5, lastDeltaWeight = p->deltaWeight[0] + w5;
  const int32_t secondWeight = p->deltaWeight[1], thirdWeight = p->deltaWeight[2],
                fourthWeight = p->deltaWeight[3];
  uint8_t* const row = ChannelRow(p, first);
  int32_t delta1 = RowEntry<DeltasAt>(row, 3), delta2 = RowEntry<DeltasAt>(row, 2);
  int32_t firstCross = w5 * (*cross - delta1);
  uint8_t prev = uint8_t(p->prevByte);
  uint32_t done = 0;
  while (done < length) {
    // A 64-bit top-up leaves 56 bits or more: enough for two symbols of up
    // to 15 bits and the lookup of a third; a 32-bit one, for one symbol.
    if (NarrowBitWord) TopUpBits(&in);
    const uint32_t entry = QuickEntry(table, in);
    if (!NarrowBitWord && done % 2 == 0) TopUpBits(&in);
    const int32_t s = EntrySignedValue(FinishEntry(table, &in, entry));
    if (s == AudioHeaderValue) break;
    uint8_t* const byteRow = row + 2 * done;
    const int32_t known = secondWeight * delta2 + thirdWeight * RowEntry<DeltasAt>(byteRow, 1) +
                          fourthWeight * RowEntry<DeltasAt>(byteRow, 0) + firstCross - s;
    firstCross = 0;
    const int32_t delta = DeltaFromSum(known + lastDeltaWeight * delta1);
    // The cross delta logged is D1, but for the first byte (set below).
    LogByte(byteRow, s, delta1, delta);
    delta2 = delta1;
    delta1 = delta;
    prev = uint8_t(prev + delta);
    at = w.Put(at, prev);
    done++;
  }
  if (done > 0) {
    p->crosses[first] = int16_t(*cross);
    *cross = delta1;
  }
  p->prevByte = prev;
  p->sampleCount += done;
  *due = done == room ? p : nullptr;
  CopyBitRegister(bits, in);
  *writePos = w.Leave(at);
  return done;
}

template <bool Direct>
uint32_t DecodeAudioRun(Rar20Decoder* d, const Target<Direct>& w, BitRegister* bits,
                        uint32_t* writePos, uint32_t* channel, int32_t* cross, uint32_t run,
                        ChannelPredictor** due) {
  switch (d->channelCount) {
    case 1:
      *channel = 0;
      return DecodeMonoRun(d, w, bits, writePos, cross, run, due);
    case 2:
      return DecodeAudioRunOf<2>(d, w, bits, writePos, channel, cross, run, due);
    case 3:
      return DecodeAudioRunOf<3>(d, w, bits, writePos, channel, cross, run, due);
    default:
      return DecodeAudioRunOf<4>(d, w, bits, writePos, channel, cross, run, due);
  }
}

// Runs passes of an LZ block: each starts while the input's next byte lies
// at or before inputStop and fewer than outputStop bytes were written since
// the run began (the first pass runs at once: it has had the checks).
// Returns true when it stopped at a block header symbol (269), which is
// consumed. *leftCount loses the bytes written; a match that reaches the
// entry's end may take it below 0. Its own call-free function, so that its
// state stays in registers: its bounds are two compares, not counts that
// would take registers of their own.
template <bool Direct>
__attribute__((noinline)) bool DecodeLzRun(Rar20Decoder* d, const Target<Direct> w,
                                           BitRegister* bits, uint32_t* writePos,
                                           int64_t* leftCount, const uint8_t* inputStop,
                                           uint32_t outputStop) {
  BitRegister in;
  CopyBitRegister(&in, *bits);
  typename Target<Direct>::Cursor at = w.Enter(*writePos);
  const typename Target<Direct>::Cursor first = at;
  bool header = false;
  do {
    // After a 64-bit top-up the register holds at least 56 bits, 41 of them
    // after the symbol: enough for the rest of any match. A 32-bit one
    // holds 24, so its loop tops up before each symbol and before a
    // distance's extra bits: a symbol and 5 extra bits fit in 24, and a
    // symbol's lookup needs 16.
    if (NarrowBitWord) TopUpBits(&in);
    const uint32_t entry = QuickEntry(&d->literalTable, in);
    if (!NarrowBitWord) TopUpBits(&in);
    const uint32_t e = FinishEntry(&d->literalTable, &in, entry);
    const uint32_t v = EntryValue(e);
    if (v < SymbolRepeatLast) {
      at = w.Put(at, uint8_t(v));
      continue;
    }
    if (NarrowBitWord) TopUpBits(&in);
    uint32_t length, distance;
    if (v >= NewMatchValue) {
      length = v - NewMatchValue + TakeBits(&in, EntryExtraBits(e));
      const uint32_t de = TakeEntry(&d->distanceTable, &in);
      if (NarrowBitWord) TopUpBits(&in);
      distance = EntryValue(de) + TakeBits(&in, EntryExtraBits(de));
      // Added, not branched on: distances fall on either side of the
      // thresholds too unevenly for a branch to be foretold.
      length += NewMatchBonus(distance);
    } else if (v == SymbolRepeatLast) {
      length = d->prevMatchLength;
      distance = d->prevMatchDistance;
    } else if (v < SymbolShortFirst) {
      distance = d->recentDistances[(d->recentCount - (v - SymbolRepeatLast)) & 3];
      const uint32_t le = TakeEntry(&d->repLengthTable, &in);
      length = EntryValue(le) + TakeBits(&in, EntryExtraBits(le)) + RecentMatchBonus(distance);
    } else if (v >= ShortMatchValue) {
      distance = v - ShortMatchValue + TakeBits(&in, EntryExtraBits(e));
      length = ShortMatchLength;
    } else {
      header = true;
      break;
    }
    if (!NarrowBitWord) TopUpBits(&in);
    PushDistance(d, length, distance);
    at = w.Copy(at, length, distance);
  } while (in.next <= inputStop && w.Produced(first, at) < outputStop);
  CopyBitRegister(bits, in);
  *writePos = w.Leave(at);
  *leftCount -= w.Produced(first, at);
  return header;
}

// The input bits, the write position, the count left, the flush position,
// the current channel and the last audio delta live in locals; they are
// stored back before anything that reads them from the state (a move of the
// input, a delivery, a block header) and taken up again after. Both ways of
// writing run the same passes, moves and deliveries at the same points:
// only where the bytes land differs.
template <bool Direct>
void DecodeLoopOf(Rar20Decoder* d) {
  const uint8_t* buffer = nullptr;
  const Target<Direct> w{Direct ? d->entry.output : d->window, d->windowZero ? nullptr : d->window,
                         d->entry.start};
  BitRegister in{};
  uint32_t at = 0, flushPos = 0, channel = 0;
  int64_t left = 0;
  int32_t cross = 0;
  bool audio = false;
  // While the position stays at or below this bit, a pass needs neither
  // more input nor the data-end test.
  uint32_t quietBits = 0;
  auto store = [&] {
    const uint32_t position = BitRegisterPosition(in, buffer);
    d->input.bytePos = position >> 3;
    d->input.bitPos = position & 7;
    d->writePos = w.WindowPos(at);
    if (Direct) d->entry.produced = at;
    d->currentChannel = channel;
    d->crossDelta = cross;
    d->entry.left = left;
  };
  auto load = [&] {
    NeedInput(&d->input, LoopReadAhead);
    buffer = d->input.bytes;
    LoadBitRegister(&in, buffer, d->input.bytePos * 8 + d->input.bitPos);
    at = Direct ? d->entry.produced : d->writePos & WindowMask;
    flushPos = d->flushPos;
    channel = d->currentChannel;
    cross = d->crossDelta;
    left = d->entry.left;
    audio = d->audioMode;
    const uint32_t roomBits = (d->input.readable - LoopReadAhead) * 8 + 7;
    const uint32_t endBits = d->input.dataEnd * 8;
    quietBits = roomBits < endBits ? roomBits : endBits;
    // Bits consumed past the data's end before the input moved (a block
    // header read into the zeros): what the data-end test would find at
    // once, before any pass.
    if (d->input.overrun && left > 0) d->dataError = true;
  };
  load();
  const bool produces = left > 0;

  while (left > 0 && !d->dataError) {
    // The pending bytes are within FlushMargin of filling the window.
    const uint32_t writePos = w.WindowPos(at);
    const bool flushDue = ((flushPos - writePos - 1) & WindowMask) < FlushMargin - 1;
    if (BitRegisterPosition(in, buffer) > quietBits || flushDue) {
      if ((BitRegisterPosition(in, buffer) >> 3) + LoopReadAhead > d->input.readable) {
        store();
        load();
      }
      // Intact data never runs out before the entry's size is reached; on
      // broken data this also bounds passes that produce no bytes.
      if (d->dataError || BitRegisterPosition(in, buffer) > d->input.dataEnd * 8) {
        d->dataError = true;
        break;
      }
      if (flushDue) {
        store();
        FlushWindow(d);
        load();
      }
    }
    // A run of passes with no checks between them: it ends before more
    // input or the data-end test could be due, before the pending bytes come
    // within the flush margin, and at the entry's end.
    const uint32_t position = BitRegisterPosition(in, buffer);
    const uint32_t quietRoom = position <= quietBits ? quietBits - position : 0;
    const uint32_t flushRoom = ((flushPos - w.WindowPos(at) - 1) & WindowMask) - (FlushMargin - 1);
    bool header = false;
    if (audio) {
      uint32_t run = RunLength(quietRoom, AudioPassBits, flushRoom, 1);
      if (run > uint32_t(left)) run = uint32_t(left);
      for (;;) {
        ChannelPredictor* due;
        const uint32_t done = DecodeAudioRun(d, w, &in, &at, &channel, &cross, run, &due);
        left -= int64_t(done);
        run -= done;
        if (due == nullptr) {
          header = run > 0;
          break;
        }
        AdaptChannel(due);
        if (run == 0) break;
      }
    } else {
      // A pass starts while the position is quiet (the input's next byte,
      // up to 8 bytes ahead of it, at or before the quiet bit's byte), the
      // pending bytes leave the flush margin free, and the entry wants more.
      const uint32_t bytesWanted = left < int64_t(UINT32_MAX) ? uint32_t(left) : UINT32_MAX;
      const uint32_t outputStop = flushRoom < bytesWanted ? flushRoom + 1 : bytesWanted;
      header = DecodeLzRun(d, w, &in, &at, &left, buffer + quietBits / 8, outputStop);
    }
    if (header) {
      store();
      ReadBlockTables(d);
      load();
    }
  }
  // The last pass may have read past the data's end, into the zeros behind
  // it: the entry's size was reached on bits it does not have. (An entry of
  // no bytes reads no symbols; its header alone is not held against it.)
  if (produces && (BitRegisterPosition(in, buffer) > d->input.dataEnd * 8 || d->input.overrun))
    d->dataError = true;
  store();
}

}  // namespace

void DecodeLoop(Rar20Decoder* d) {
  if (d->entry.direct)
    DecodeLoopOf<true>(d);
  else
    DecodeLoopOf<false>(d);
}
