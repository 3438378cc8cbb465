// Audio blocks: each symbol is the error of an adaptive linear prediction
// kept per channel; the weights follow the best of eleven candidates.
#include <cstdlib>

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

uint8_t DecodeAudioByte(uint32_t symbol) {
  Rar20Decoder& d = decoder;
  ChannelPredictor& p = d.channels[d.currentChannel];
  p.sampleCount++;
  p.delta4 = p.delta3;
  p.delta3 = p.delta2;
  p.delta2 = p.prevDelta - p.delta1;
  p.delta1 = p.prevDelta;

  const int32_t sum = 8 * p.prevByte + p.weight1 * p.delta1 + p.weight2 * p.delta2 +
                      p.weight3 * p.delta3 + p.weight4 * p.delta4 + p.weight5 * d.crossDelta;
  const uint32_t predicted = (uint32_t(sum) >> 3) & 0xFF;
  const uint8_t out = uint8_t(predicted - symbol);

  const int32_t e = 8 * int32_t(int8_t(uint8_t(symbol)));
  const int32_t cross = d.crossDelta;
  p.errorSum[0] += uint32_t(std::abs(e));
  p.errorSum[1] += uint32_t(std::abs(e - p.delta1));
  p.errorSum[2] += uint32_t(std::abs(e + p.delta1));
  p.errorSum[3] += uint32_t(std::abs(e - p.delta2));
  p.errorSum[4] += uint32_t(std::abs(e + p.delta2));
  p.errorSum[5] += uint32_t(std::abs(e - p.delta3));
  p.errorSum[6] += uint32_t(std::abs(e + p.delta3));
  p.errorSum[7] += uint32_t(std::abs(e - p.delta4));
  p.errorSum[8] += uint32_t(std::abs(e + p.delta4));
  p.errorSum[9] += uint32_t(std::abs(e - cross));
  p.errorSum[10] += uint32_t(std::abs(e + cross));

  const int32_t delta = int8_t(uint8_t(out - uint8_t(p.prevByte)));
  p.prevDelta = delta;
  d.crossDelta = delta;
  p.prevByte = out;
  if (p.sampleCount % 32 == 0) AdaptWeights(&p);
  return out;
}
