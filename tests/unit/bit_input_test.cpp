// Bit input: peeks and skips at every bit position, spans read where they
// lie, the edge between them and the zeros after the data.
#include <gtest/gtest.h>

#include "decoder_fixture.h"

namespace {

TEST(BitInput, PeekTakesSixteenBitsFromAnyBitPosition) {
  DecodeRun run;
  run.Feed({0xA5, 0x3C, 0xF0, 0x0F, 0x99});
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
  EXPECT_EQ(ReadBits(&run.decoder.input, 3), 0b101u);
  EXPECT_EQ(ReadBits(&run.decoder.input, 7), 0b1001101u);
  EXPECT_EQ(run.decoder.input.bytePos, 1u);
  EXPECT_EQ(run.decoder.input.bitPos, 2u);
  EXPECT_EQ(ReadBits(&run.decoder.input, 16), 0b0111001111111100u);
  EXPECT_EQ(run.decoder.input.bytePos, 3u);
  EXPECT_EQ(run.decoder.input.bitPos, 2u);
}

TEST(BitInput, ReadsSpansWhereTheyLieAndCrossesBetweenThemThroughTheEdge) {
  std::vector<uint8_t> bytes(20000);
  for (size_t i = 0; i < bytes.size(); i++) bytes[i] = uint8_t(i * 13 + (i >> 8));
  // One span: read in place until its last bytes, then through the edge,
  // with zeros behind the data.
  DecodeRun run;
  run.Feed(bytes);
  BitInput& in = run.decoder.input;
  EXPECT_EQ(in.bytes, run.span.get());
  EXPECT_EQ(in.readable, 20000u);
  in.bytePos = 19990;
  in.bitPos = 3;
  const uint32_t before = PeekBits16(in);
  NeedInput(&in, 16);
  EXPECT_EQ(in.bytes, in.edge);
  EXPECT_EQ(in.base, 19990u);
  EXPECT_EQ(in.bytePos, 0u);
  EXPECT_EQ(in.bitPos, 3u);
  EXPECT_EQ(PeekBits16(in), before);
  EXPECT_EQ(in.dataEnd, 10u);
  EXPECT_EQ(in.edge[9], bytes[19999]);
  EXPECT_EQ(in.edge[10], 0);
  EXPECT_EQ(in.readable, EdgeSize);

  // Spans of 1000 bytes: every bit position reads the same bits as from
  // the whole, asking room ahead as the decoder does.
  DecodeRun pieces;
  pieces.spanSize = 1000;
  pieces.Feed(bytes);
  BitInput& p = pieces.decoder.input;
  std::vector<uint8_t> whole = bytes;
  whole.resize(whole.size() + 4, 0);
  for (uint32_t bit = 0; bit < 20000 * 8; bit += 1 + bit % 7) {
    const uint32_t at = uint32_t(p.base) * 8 + p.bytePos * 8 + p.bitPos;
    ASSERT_LE(at, bit);
    SkipBits(&p, bit - at);
    NeedInput(&p, 8);
    ASSERT_EQ(PeekBits16(p), PeekBitsAt(whole.data(), bit)) << bit;
    ASSERT_FALSE(InputExhausted(p)) << bit;
    ASSERT_LE(p.bytePos + 8, p.readable);
    // Read in place wherever eight bytes lie ahead within the span, once the
    // edge's bytes from the span's start are used up.
    const uint32_t inSpan = bit / 8 % 1000;
    if (inSpan >= EdgeDataSize && inSpan < 1000 - 8) {
      ASSERT_NE(p.bytes, p.edge) << bit;
    }
  }
  EXPECT_EQ(pieces.packedRead, 20000u);
}

TEST(BitInput, RunningPastTheDataIsNoticed) {
  DecodeRun run;
  run.Feed({0xFF, 0xFF});
  SkipBits(&run.decoder.input, 16);
  EXPECT_FALSE(InputExhausted(run.decoder.input));
  SkipBits(&run.decoder.input, 1);
  EXPECT_TRUE(InputExhausted(run.decoder.input));
}

}  // namespace
