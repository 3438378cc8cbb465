// Audio blocks: each symbol is the error of an adaptive linear prediction
// kept per channel; the weights follow the best of eleven candidates.
#pragma once

#include <cstdint>

#include "unpack/hot_inline.h"

struct ChannelPredictor {
  // Each delta beside its weight: stored side by side, the four deltas would
  // be written as one vector and read back one at a time, which the
  // processor cannot forward from its store buffer.
  int32_t weight1, delta1;
  int32_t weight2, delta2;
  int32_t weight3, delta3;
  int32_t weight4, delta4;
  int32_t weight5, prevDelta;
  uint32_t errorSum[11];  // the sums over this channel's bytes before those in `pending`
  uint32_t sampleCount;
  int32_t prevByte;
  // The values each of the channel's bytes since the last adaptation compared:
  // 8 x its symbol, then delta1..delta4 and crossDelta as it saw them, at
  // slot (byte number mod 32). The eleven sums are added up from here once
  // per 32 bytes, eight bytes to a vector, instead of eleven additions a byte.
  int16_t pending[6][32];
};

struct Rar20Decoder;

// One audio byte of the current channel (which it leaves unchanged), its
// weights adapted when due.
uint8_t DecodeAudioByte(Rar20Decoder* d, uint32_t symbol);

// Moves one weight by one step toward the candidate with the least error.
void AdaptWeights(ChannelPredictor* p);

// errorSum[i] + the errors of candidate i over the first n pending bytes,
// into sums (which may be errorSum itself).
void AddPendingErrors(const ChannelPredictor* p, uint32_t n, uint32_t* sums);
// The same sums a byte at a time: what AddPendingErrors does where the
// processor has no 16-byte vectors (x86 without SSE2).
void AddPendingErrorsOneByOne(const ChannelPredictor* p, uint32_t n, uint32_t* sums);
// Every 32 bytes of a channel: its sums added up, then AdaptWeights.
void AdaptChannel(ChannelPredictor* p);

inline bool AdaptationDue(const ChannelPredictor* p) {
  return p->sampleCount % 32 == 0;
}

// Logs what a byte's candidates compared, for the next adaptation's sums.
HotInline void LogPending(ChannelPredictor* p, uint32_t slot, uint32_t symbol, int32_t d1,
                          int32_t d2, int32_t d3, int32_t d4, int32_t cross) {
  p->pending[0][slot] = int16_t(8 * int32_t(int8_t(uint8_t(symbol))));
  p->pending[1][slot] = int16_t(d1);
  p->pending[2][slot] = int16_t(d2);
  p->pending[3][slot] = int16_t(d3);
  p->pending[4][slot] = int16_t(d4);
  p->pending[5][slot] = int16_t(cross);
}

// One audio byte of the channel p from its symbol; cross is the delta of the
// last audio byte on any channel, which this byte's delta replaces. Inline:
// the decoding loop runs it with cross in a register. The caller adapts the
// weights when AdaptationDue.
HotInline uint8_t PredictAudioByte(ChannelPredictor* p, int32_t* cross, uint32_t symbol) {
  const int32_t x = *cross;
  const int32_t d1 = p->prevDelta;
  const int32_t d2 = p->prevDelta - p->delta1;
  const int32_t d3 = p->delta2;
  const int32_t d4 = p->delta3;
  p->delta1 = d1;
  p->delta2 = d2;
  p->delta3 = d3;
  p->delta4 = d4;
  const uint32_t slot = p->sampleCount++ & 31;

  const int32_t sum = 8 * p->prevByte + p->weight1 * d1 + p->weight2 * d2 + p->weight3 * d3 +
                      p->weight4 * d4 + p->weight5 * x;
  const uint8_t out = uint8_t((uint32_t(sum) >> 3) - symbol);

  LogPending(p, slot, symbol, d1, d2, d3, d4, x);

  const int32_t delta = int8_t(uint8_t(out - uint8_t(p->prevByte)));
  p->prevDelta = delta;
  *cross = delta;
  p->prevByte = out;
  return out;
}
