// The encoder's copy of the audio predictor turns bytes into exactly the
// symbols from which the decoder's predictor makes those bytes again.
#include <gtest/gtest.h>

#include <cstring>

#include "pack_support.h"
#include "packer/audio_estimate.h"
#include "packer/audio_predictor.h"
#include "unpack/rar20_decoder.h"

namespace {

TEST(PackAudioModel, TheWorkedExampleGivesSymbolThree) {
  packer::AudioModel model;
  packer::ResetAudioModel(&model);
  packer::ChannelModel& c = model.channel[0];
  c.weight[0] = 1;
  c.prevByte = 100;
  c.prevDelta = 4;
  c.delta1 = 2;
  EXPECT_EQ(packer::EncodeAudioByte(&c, &model.crossDelta, 97), 3);
  EXPECT_EQ(c.prevDelta, -3);
  EXPECT_EQ(model.crossDelta, -3);
  EXPECT_EQ(c.delta2, 2);
}

TEST(PackAudioModel, TheFirstByteAfterAResetIsTheNegatedSymbol) {
  packer::AudioModel model;
  packer::ResetAudioModel(&model);
  EXPECT_EQ(packer::EncodeAudioByte(&model.channel[0], &model.crossDelta, 251), 5);
  packer::ResetAudioModel(&model);
  EXPECT_EQ(packer::EncodeAudioByte(&model.channel[0], &model.crossDelta, 0), 0);
}

TEST(PackAudioModel, TheDecoderTurnsEverySymbolBackIntoItsByte) {
  Rar20Decoder decoder{};
  for (int channels = 1; channels <= 4; channels++) {
    // Sound first (the weights move), then noise (they swing to the limits).
    std::vector<uint8_t> bytes = SoundData(20000, channels, uint64_t(channels));
    const std::vector<uint8_t> noise = RandomData(5000, 9);
    bytes.insert(bytes.end(), noise.begin(), noise.end());
    packer::AudioModel model;
    packer::ResetAudioModel(&model);
    memset(&decoder, 0, sizeof decoder);
    for (size_t i = 0; i < bytes.size(); i++) {
      const int c = int(i % size_t(channels));
      const uint8_t symbol =
          packer::EncodeAudioByte(&model.channel[c], &model.crossDelta, bytes[i]);
      decoder.currentChannel = uint32_t(c);
      ASSERT_EQ(DecodeAudioByte(&decoder, symbol), bytes[i]) << channels << " channels, byte " << i;
    }
    for (int c = 0; c < channels; c++) {
      EXPECT_EQ(model.channel[c].weight[0], decoder.channels[c].weight1);
      EXPECT_EQ(model.channel[c].weight[4], decoder.channels[c].weight5);
      for (int w = 0; w < 5; w++) {
        EXPECT_GE(model.channel[c].weight[w], -17);
        EXPECT_LE(model.channel[c].weight[w], 16);
      }
    }
  }
}

TEST(PackAudioModel, TheSoundEstimateFindsTheChannelCount) {
  for (int channels = 1; channels <= 4; channels++) {
    const std::vector<uint8_t> bytes = SoundData(200000, channels, 77);
    const packer::SoundEstimate e = packer::EstimateSound(bytes.data(), uint32_t(bytes.size()));
    EXPECT_EQ(e.channels, channels);
    EXPECT_LT(e.audioBitsPerByte, 0.6 * e.plainBitsPerByte);
  }
  const std::vector<uint8_t> text = TextData(100000, 1);
  const packer::SoundEstimate e = packer::EstimateSound(text.data(), uint32_t(text.size()));
  EXPECT_GT(e.audioBitsPerByte, e.plainBitsPerByte);
}

}  // namespace
