// Audio blocks: each symbol is the error of an adaptive linear prediction
// kept per channel; the weights follow the best of eleven candidates.
#include "unpack/rar20_decoder.h"

void AdaptWeights(ChannelPredictor* p) {
  uint32_t best = 0;
  for (uint32_t i = 1; i < 11; i++)
    if (p->errorSum[i] < p->errorSum[best]) best = i;
  std::memset(p->errorSum, 0, sizeof p->errorSum);
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
  return PredictAudioByte(&d.channels[d.currentChannel], &d.crossDelta, symbol);
}
