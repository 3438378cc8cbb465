// The decoder's adaptive per-channel predictor, run by the encoder: it turns
// each byte of an audio block into the delta symbol that the decoder turns
// back into that byte.
#pragma once

#include <cstdint>

namespace packer {

struct ChannelModel {
  int32_t weight[5];
  int32_t delta1, delta2, delta3, delta4;
  int32_t prevDelta;
  uint32_t errorSum[11];
  uint32_t sampleCount;
  int32_t prevByte;
};

struct AudioModel {
  ChannelModel channel[4];
  int32_t crossDelta;
  int currentChannel;  // 0..3, advanced after every audio byte
};

// The state after the decoder's full reset.
void ResetAudioModel(AudioModel* model);

// The symbol that makes the decoder produce `byte` on `channel`, with the
// model advanced as the decoder advances it. Does not move currentChannel.
uint8_t EncodeAudioByte(ChannelModel* channel, int32_t* crossDelta, uint8_t byte);

}  // namespace packer
