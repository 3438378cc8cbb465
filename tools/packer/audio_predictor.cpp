#include "audio_predictor.h"

#include <cstdlib>
#include <cstring>

namespace packer {

void ResetAudioModel(AudioModel* model) {
  std::memset(model, 0, sizeof *model);
}

namespace {

void AdaptWeights(ChannelModel* p) {
  int best = 0;
  for (int i = 1; i < 11; i++)
    if (p->errorSum[i] < p->errorSum[best]) best = i;
  std::memset(p->errorSum, 0, sizeof p->errorSum);
  if (best == 0) return;
  int32_t& w = p->weight[(best - 1) / 2];
  if (best & 1) {
    if (w >= -16) w--;
  } else {
    if (w < 16) w++;
  }
}

}  // namespace

uint8_t EncodeAudioByte(ChannelModel* p, int32_t* crossDelta, uint8_t byte) {
  p->sampleCount++;
  p->delta4 = p->delta3;
  p->delta3 = p->delta2;
  p->delta2 = p->prevDelta - p->delta1;
  p->delta1 = p->prevDelta;
  const int32_t cross = *crossDelta;
  const int32_t sum = 8 * p->prevByte + p->weight[0] * p->delta1 + p->weight[1] * p->delta2 +
                      p->weight[2] * p->delta3 + p->weight[3] * p->delta4 + p->weight[4] * cross;
  const int32_t predicted = (sum >> 3) & 0xFF;
  const uint8_t symbol = uint8_t(predicted - byte);
  const int32_t e = 8 * int32_t(int8_t(symbol));
  p->errorSum[0] += uint32_t(std::abs(e));
  p->errorSum[1] += uint32_t(std::abs(e - p->delta1));
  p->errorSum[2] += uint32_t(std::abs(e + p->delta1));
  p->errorSum[3] += uint32_t(std::abs(e - p->delta2));
  p->errorSum[4] += uint32_t(std::abs(e + p->delta2));
  p->errorSum[5] += uint32_t(std::abs(e - p->delta3));
  p->errorSum[6] += uint32_t(std::abs(e + p->delta3));
  p->errorSum[7] += uint32_t(std::abs(e - p->delta4));
  p->errorSum[8] += uint32_t(std::abs(e + p->delta4));
  p->errorSum[9] += uint32_t(std::abs(e - cross));
  p->errorSum[10] += uint32_t(std::abs(e + cross));
  const int32_t d = int32_t(int8_t(uint8_t(byte - p->prevByte)));
  p->prevDelta = d;
  *crossDelta = d;
  p->prevByte = byte;
  if ((p->sampleCount & 31) == 0) AdaptWeights(p);
  return symbol;
}

}  // namespace packer
