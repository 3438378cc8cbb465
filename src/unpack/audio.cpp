// Audio blocks: each symbol is the error of an adaptive linear prediction
// kept per channel; the weights follow the best of eleven candidates.
#include <cstring>

#include "unpack/rar20_decoder.h"

void AdaptWeights(ChannelPredictor* p) {
  uint32_t best = 0;
  for (uint32_t i = 1; i < 11; i++)
    if (p->errorSum[i] < p->errorSum[best]) best = i;
  for (uint32_t& e : p->errorSum) e = 0;
  int32_t* weights[5] = {&p->weight1, &p->weight2, &p->weight3, &p->weight4, &p->weight5};
  if (best == 0) return;
  int32_t& w = *weights[(best - 1) / 2];
  if (best % 2 == 1) {
    if (w >= -16) w--;
  } else {
    if (w < 16) w++;
  }
}

namespace {

// Eight 16-bit lanes: one SSE2 register on x86; other targets get plain code
// for the same operations from the compiler.
typedef int16_t Lanes __attribute__((vector_size(16)));

inline Lanes Abs(Lanes v) {
  return v > -v ? v : -v;
}

}  // namespace

void AddPendingErrors(const ChannelPredictor* p, uint32_t n, uint32_t* sums) {
  // A lane adds at most 4 errors of up to 1024 + 255: no 16-bit overflow.
  Lanes total[11] = {};
  const Lanes lane = {0, 1, 2, 3, 4, 5, 6, 7};
  for (uint32_t first = 0; first < 32; first += 8) {
    // Bytes from n on count as e = 0 against candidates 0.
    const Lanes keep = lane + int16_t(first) < int16_t(n);
    Lanes row[6];
    for (int k = 0; k < 6; k++) {
      std::memcpy(&row[k], &p->pending[k][first], sizeof row[k]);
      row[k] &= keep;
    }
    const Lanes e = row[0];
    total[0] += Abs(e);
    for (int k = 1; k < 6; k++) {
      total[2 * k - 1] += Abs(e - row[k]);
      total[2 * k] += Abs(e + row[k]);
    }
  }
  for (int i = 0; i < 11; i++) {
    uint32_t sum = p->errorSum[i];
    for (int j = 0; j < 8; j++) sum += uint16_t(total[i][j]);
    sums[i] = sum;
  }
}

void AdaptChannel(ChannelPredictor* p) {
  AddPendingErrors(p, 32, p->errorSum);
  AdaptWeights(p);
}

uint8_t DecodeAudioByte(uint32_t symbol) {
  Rar20Decoder& d = decoder;
  ChannelPredictor* p = &d.channels[d.currentChannel];
  const uint8_t out = PredictAudioByte(p, &d.crossDelta, symbol);
  if (AdaptationDue(p)) AdaptChannel(p);
  return out;
}
