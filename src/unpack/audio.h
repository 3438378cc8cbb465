// Audio blocks: each symbol is the error of an adaptive linear prediction
// kept per channel; the weights follow the best of eleven candidates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "unpack/hot_inline.h"

// The bytes of a channel between two adaptations.
constexpr uint32_t AdaptationBytes = 32;
// Deltas of the bytes before the window kept in front of it.
constexpr uint32_t DeltaHistory = 4;

struct ChannelPredictor {
  int32_t weight1, weight2, weight3, weight4, weight5;
  // The weights of the last four deltas D1..D4 (see deltas) that the
  // weights of d1..d4 come to: w1 + w2, w3 - w2, w4 - w3, -w4.
  int32_t deltaWeight[4];
  uint32_t sampleCount;
  // sampleCount when the weights were last adapted: the adaptation after a
  // window's last byte may wait until the channel's next byte (see
  // AdaptationDue).
  uint32_t adaptedAt;
  int32_t prevByte;
  // What each byte since the last adaptation compared, at slot (byte number
  // mod 32), summed up once per 32 bytes, eight or sixteen bytes to a
  // vector: 8 x its symbol as a signed byte, and the last delta on any
  // channel it saw.
  int16_t symbols[AdaptationBytes];
  int16_t crosses[AdaptationBytes];
  // Each byte's delta (the byte less the channel's byte before it) at
  // DeltaHistory + slot, behind the four before the window. The four
  // differences a byte compares are those of the last four deltas:
  // d1 = D1, d2 = D1 - D2, d3 = D2 - D3, d4 = D3 - D4, where Dk is the delta
  // k bytes back. So a byte writes one delta, where keeping d1..d4 as state
  // would take four stores and four log entries.
  int16_t deltas[DeltaHistory + AdaptationBytes];
};

struct Rar20Decoder;

// One audio byte of the current channel (which it leaves unchanged), its
// weights adapted when due.
uint8_t DecodeAudioByte(Rar20Decoder* d, uint32_t symbol);

// The channel's last four deltas, D1 (the latest) at [3] and D4 at [0].
HotInline int16_t* RecentDeltas(ChannelPredictor* p) {
  return p->deltas + p->sampleCount % AdaptationBytes;
}
// Sets what the next byte's prediction reads as the last byte left it:
// that byte's delta (the next byte's d1), its d1 (with which the next d2 is
// formed), and its d2 and d3 (the next byte's d3 and d4).
void SetRecentDifferences(ChannelPredictor* p, int32_t lastDelta, int32_t lastD1, int32_t lastD2,
                          int32_t lastD3);

// The errors of the eleven candidates over the first n bytes logged since
// the last adaptation, a byte at a time: sums[0] of the symbol alone,
// sums[2k - 1] and sums[2k] of the symbol less and plus dk (k = 1..4),
// sums[9] and sums[10] less and plus the cross delta. (AdaptChannel finds
// the least of them with vectors where the processor has them.)
void WindowErrors(const ChannelPredictor* p, uint32_t n, uint32_t* sums);
// Moves one weight by one step toward the candidate with the least sum.
void AdaptWeights(ChannelPredictor* p, const uint32_t* sums);
// Every 32 bytes of a channel: the window's sums, AdaptWeights, and the
// window's last deltas moved to the front for the next one; the sums made
// the fastest way the processor has.
void AdaptChannel(ChannelPredictor* p);
// The ways of making the sums, slowest first: a byte at a time, with
// vectors of eight lanes (SSE2), of sixteen (AVX2).
enum class SumsBy { Bytes, Vectors, WideVectors };
SumsBy FastestSums();
// AdaptChannel's work made one given way, which the processor must have.
void AdaptChannelBy(ChannelPredictor* p, SumsBy by);

// Sets the weights (each within -17..16), and with them deltaWeight.
void SetWeights(ChannelPredictor* p, int32_t w1, int32_t w2, int32_t w3, int32_t w4, int32_t w5);

// What a symbol contributes to its byte's prediction and to the
// adaptation's sums: 8 x the symbol as a signed byte. (Taken off the
// prediction's sum, it gives the same bits 3..10 as 8 x the symbol
// unsigned: the two differ by a multiple of 2^11.) The decoding loops get
// it straight from the audio tables' entries.
constexpr int32_t AudioError(uint32_t symbol) {
  return 8 * int32_t(int8_t(uint8_t(symbol)));
}

// The delta whose bits 3..10 a prediction's sum, less its error, holds.
HotInline int32_t DeltaFromSum(int32_t sum) {
  return int8_t(uint8_t(uint32_t(sum) >> 3));
}

// The channel has ended a window of 32 bytes and its weights are not yet
// adapted to it. Whatever predicts the channel's next byte adapts them first;
// nothing else reads them, so the adaptation may come right after the
// window's last byte or later, with the same bytes.
inline bool AdaptationDue(const ChannelPredictor* p) {
  return p->sampleCount % AdaptationBytes == 0 && p->sampleCount != p->adaptedAt;
}

// A channel's logs seen as the bytes of its predictor: row is the
// predictor's address plus twice a slot, and each log's entry at that slot
// lies at its own fixed offset from row. A loop over several channels then
// keeps one pointer for each channel and one slot for all.
template <uint32_t Offset>
HotInline int32_t RowEntry(const uint8_t* row, uint32_t k) {
  int16_t v;
  std::memcpy(&v, row + Offset + 2 * k, 2);
  return v;
}
template <uint32_t Offset>
HotInline void SetRowEntry(uint8_t* row, uint32_t k, int32_t v) {
  const int16_t narrow = int16_t(v);
  std::memcpy(row + Offset + 2 * k, &narrow, 2);
}
constexpr uint32_t SymbolsAt = offsetof(ChannelPredictor, symbols);
constexpr uint32_t CrossesAt = offsetof(ChannelPredictor, crosses);
constexpr uint32_t DeltasAt = offsetof(ChannelPredictor, deltas);

HotInline uint8_t* ChannelRow(ChannelPredictor* p, uint32_t slot) {
  return reinterpret_cast<uint8_t*>(p) + 2 * slot;
}

// The delta of a byte from its symbol's error, the channel's last deltas
// (D1 .. D4: the deltas at the byte's slot + 3 .. + 0, in row) and the cross
// delta: the byte is (8 x last byte + w1 d1 + w2 d2 + w3 d3 + w4 d4 + w5 x)
// >> 3, less the symbol, so its bits 3..10 are the last byte plus the
// delta, modulo 256. The error is taken off before the cross delta's
// product is added, which alone waits on the byte before.
HotInline int32_t PredictDelta(const ChannelPredictor* p, const uint8_t* row, int32_t cross,
                               int32_t error) {
  const int32_t known = p->deltaWeight[0] * RowEntry<DeltasAt>(row, 3) +
                        p->deltaWeight[1] * RowEntry<DeltasAt>(row, 2) +
                        p->deltaWeight[2] * RowEntry<DeltasAt>(row, 1) +
                        p->deltaWeight[3] * RowEntry<DeltasAt>(row, 0) - error;
  return DeltaFromSum(known + p->weight5 * cross);
}

// Logs what the byte of row's slot compared, for the next adaptation's sums.
HotInline void LogByte(uint8_t* row, int32_t error, int32_t cross, int32_t delta) {
  SetRowEntry<SymbolsAt>(row, 0, error);
  SetRowEntry<CrossesAt>(row, 0, cross);
  SetRowEntry<DeltasAt>(row, DeltaHistory, delta);
}

// One audio byte of the channel p from its symbol's error, logged at row's
// slot, the channel's count left for the caller to move; cross is the delta
// of the last audio byte on any channel, which this byte's delta replaces.
// Inline: the decoding loop runs it with cross in a register. The caller
// adapts the weights first when AdaptationDue.
HotInline uint8_t PredictAudioByteIn(ChannelPredictor* p, uint8_t* row, int32_t* cross,
                                     int32_t error) {
  const int32_t x = *cross;
  const int32_t delta = PredictDelta(p, row, x, error);
  LogByte(row, error, x, delta);
  const uint8_t out = uint8_t(p->prevByte + delta);
  p->prevByte = out;
  *cross = delta;
  return out;
}

// PredictAudioByteIn at the slot of the channel's count, which it moves on.
HotInline uint8_t PredictAudioByte(ChannelPredictor* p, int32_t* cross, int32_t error) {
  const uint8_t out =
      PredictAudioByteIn(p, ChannelRow(p, p->sampleCount % AdaptationBytes), cross, error);
  p->sampleCount++;
  return out;
}
