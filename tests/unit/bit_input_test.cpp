// Bit input: peeks and skips at every bit position, slides at the thresholds.
#include <gtest/gtest.h>

#include "decoder_fixture.h"

namespace {

TEST(BitInput, PeekTakesSixteenBitsFromAnyBitPosition) {
  DecodeRun run;
  run.Feed({0xA5, 0x3C, 0xF0, 0x0F, 0x99});
  run.decoder.input.bytePos = 0;
  run.decoder.input.bitPos = 0;
  FillInput(&run.decoder.input);
  const uint32_t stream = 0xA53CF00F;  // first four bytes as one number
  for (uint32_t bit = 0; bit < 8; bit++) {
    run.decoder.input.bytePos = 0;
    run.decoder.input.bitPos = bit;
    EXPECT_EQ(PeekBits16(run.decoder.input), (stream >> (16 - bit)) & 0xFFFF) << bit;
  }
  // bitPos 7: one bit of the first byte, eight of the second, seven of the third.
  run.decoder.input.bitPos = 7;
  EXPECT_EQ(PeekBits16(run.decoder.input), ((0xA5u & 1) << 15) | (0x3Cu << 7) | (0xF0u >> 1));
}

TEST(BitInput, ReadBitsConsumesAcrossByteBoundaries) {
  DecodeRun run;
  run.Feed({0b10110011, 0b01011100, 0xFF, 0});
  run.decoder.input.bytePos = run.decoder.input.bitPos = 0;
  FillInput(&run.decoder.input);
  EXPECT_EQ(ReadBits(&run.decoder.input, 3), 0b101u);
  EXPECT_EQ(ReadBits(&run.decoder.input, 7), 0b1001101u);
  EXPECT_EQ(run.decoder.input.bytePos, 1u);
  EXPECT_EQ(run.decoder.input.bitPos, 2u);
  EXPECT_EQ(ReadBits(&run.decoder.input, 16), 0b0111001111111100u);
  EXPECT_EQ(run.decoder.input.bytePos, 3u);
  EXPECT_EQ(run.decoder.input.bitPos, 2u);
}

TEST(BitInput, FillReadsAtMostTheBufferAndCountsValidBytes) {
  DecodeRun run;
  run.Feed(std::vector<uint8_t>(10000, 7));
  run.decoder.input.bytePos = run.decoder.input.bitPos = 0;
  FillInput(&run.decoder.input);
  EXPECT_EQ(run.decoder.input.validBytes, 8192u);
  EXPECT_EQ(run.packedRead, 8192u);
}

TEST(BitInput, SlideKeepsTheUnreadTailAndReadsBehindIt) {
  std::vector<uint8_t> bytes(20000);
  for (size_t i = 0; i < bytes.size(); i++) bytes[i] = uint8_t(i * 13 + (i >> 8));
  DecodeRun run;
  run.Feed(bytes);
  run.decoder.input.bytePos = run.decoder.input.bitPos = 0;
  FillInput(&run.decoder.input);
  run.decoder.input.bytePos = 8170;
  run.decoder.input.bitPos = 3;
  const uint32_t before = PeekBits16(run.decoder.input);
  SlideInput(&run.decoder.input);
  EXPECT_EQ(run.decoder.input.bytePos, 10u);
  EXPECT_EQ(run.decoder.input.bitPos, 3u);
  EXPECT_EQ(PeekBits16(run.decoder.input), before);
  EXPECT_EQ(run.decoder.input.validBytes, 8192u);
  EXPECT_EQ(run.decoder.input.buffer[32], bytes[8192]);  // the next packed byte
  // Second slide gets the last 20000 - 16352 bytes.
  run.decoder.input.bytePos = 8165;
  SlideInput(&run.decoder.input);
  EXPECT_EQ(run.decoder.input.validBytes, 32u + 20000u - 16352u);
  // Nothing left: the buffer keeps its bytes and validBytes drops to bytePos.
  run.decoder.input.bytePos = 8163;
  SlideInput(&run.decoder.input);
  EXPECT_EQ(run.decoder.input.validBytes, 3u);
}

TEST(BitInput, RunningPastTheDataIsNoticed) {
  DecodeRun run;
  run.Feed({0xFF, 0xFF});
  run.decoder.input.bytePos = run.decoder.input.bitPos = 0;
  FillInput(&run.decoder.input);
  SkipBits(&run.decoder.input, 16);
  EXPECT_FALSE(InputExhausted(run.decoder.input));
  SkipBits(&run.decoder.input, 1);
  EXPECT_TRUE(InputExhausted(run.decoder.input));
}

}  // namespace
