// Decode tables: canonical order, one-symbol and saturated tables.
#include <gtest/gtest.h>

#include "bit_writer.h"
#include "decoder_fixture.h"
#include "pack_support.h"

namespace {

void FeedBits(DecodeRun& run, const BitWriter& w) {
  run.Feed(w.Bytes(8));
}

TEST(HuffTable, OrdersSymbolsByLengthThenValue) {
  const uint8_t lengths[6] = {3, 2, 0, 3, 2, 2};
  HuffTable t{};
  BuildHuffTable(lengths, 6, &t);
  EXPECT_EQ(t.symbolCount, 6);
  const uint32_t expected[5] = {1, 4, 5, 0, 3};
  for (int i = 0; i < 5; i++) EXPECT_EQ(t.symbols[i], expected[i]) << i;
  EXPECT_EQ(t.firstIndex[2], 0u);
  EXPECT_EQ(t.firstIndex[3], 3u);
  EXPECT_EQ(t.limit[1], 0u);
  EXPECT_EQ(t.limit[2], 0xC000u);
  EXPECT_EQ(t.limit[3], 0xFFFFu);  // full code space saturates
}

TEST(HuffTable, DecodesEveryCanonicalCode) {
  std::vector<uint8_t> lengths = {4, 0, 1, 3, 4, 0, 15, 15, 7, 7, 6, 5};
  // Fill the rest of the space so the code is complete enough to test.
  CanonicalCode code(lengths);
  HuffTable t{};
  BuildHuffTable(lengths.data(), int(lengths.size()), &t);
  BitWriter w;
  std::vector<uint32_t> sent;
  for (int round = 0; round < 3; round++)
    for (uint32_t s = 0; s < lengths.size(); s++)
      if (lengths[s]) {
        code.Put(w, s);
        sent.push_back(s);
      }
  DecodeRun run;
  FeedBits(run, w);
  for (uint32_t s : sent) EXPECT_EQ(DecodeSymbol(&run.decoder.input, &t), s);
  EXPECT_EQ(run.decoder.input.bytePos * 8 + run.decoder.input.bitPos, w.BitCount());
}

TEST(HuffTable, OneSymbolTableTakesOneZeroBit) {
  std::vector<uint8_t> lengths(20, 0);
  lengths[13] = 1;
  HuffTable t{};
  BuildHuffTable(lengths.data(), 20, &t);
  BitWriter w;
  w.Bits(0b0010, 4);
  DecodeRun run;
  FeedBits(run, w);
  EXPECT_EQ(DecodeSymbol(&run.decoder.input, &t), 13u);
  EXPECT_EQ(DecodeSymbol(&run.decoder.input, &t), 13u);
  EXPECT_EQ(run.decoder.input.bitPos, 2u);
  // A 1 bit leads past the coded symbol, to the never written slot 1 after
  // all 15 bits: it yields that slot's content, 0.
  EXPECT_EQ(DecodeSymbol(&run.decoder.input, &t), 0u);
  EXPECT_EQ(run.decoder.input.bytePos * 8 + run.decoder.input.bitPos, 2u + 15u);
}

TEST(HuffTable, OverfullLengthsSaturateWithoutLeavingTheTable) {
  std::vector<uint8_t> lengths(298, 1);  // far more than a code can hold
  HuffTable t{};
  BuildHuffTable(lengths.data(), 298, &t);
  for (int len = 1; len < 16; len++) EXPECT_EQ(t.limit[len], 0xFFFFu);
  BitWriter w;
  for (int i = 0; i < 8; i++) w.Bits(0xFFFF, 16);
  DecodeRun run;
  FeedBits(run, w);
  for (int i = 0; i < 8; i++) EXPECT_LT(DecodeSymbol(&run.decoder.input, &t), 298u);
}

TEST(HuffTable, EmptyTableDecodesStaleOrZeroSymbolsAndTakesFifteenBits) {
  std::vector<uint8_t> lengths(48, 0);
  HuffTable t{};
  BuildHuffTable(lengths.data(), 48, &t);
  BitWriter w;
  w.Bits(0x1234, 16);
  DecodeRun run;
  FeedBits(run, w);
  EXPECT_EQ(DecodeSymbol(&run.decoder.input, &t), 0u);
  EXPECT_EQ(run.decoder.input.bitPos + 8 * run.decoder.input.bytePos, 15u);
}

TEST(HuffTable, QuickLookupAgreesWithTheLimitSearchOnEveryPeek) {
  // Complete, holed and overfull codes, each built over the stale slots of
  // an earlier build: for every 16-bit peek the symbol and the bits taken
  // are those of the plain search over the per-length limits.
  TestRandom r(99);
  for (int round = 0; round < 60; round++) {
    const int sizes[] = {19, 28, 48, 257, 298};
    const int n = sizes[round % 5];
    HuffTable t{};
    for (int build = 0; build < 2; build++) {
      std::vector<uint8_t> lengths(size_t(n), 0);
      const uint32_t longest = 1 + r.Below(15);
      for (uint8_t& l : lengths) l = r.Below(3) ? uint8_t(1 + r.Below(longest)) : 0;
      BuildHuffTable(lengths.data(), n, &t);
    }
    DecodeRun run;
    run.decoder.input.bytes = run.decoder.input.edge;
    for (uint32_t peek = 0; peek < 0x10000; peek++) {
      const uint32_t v = peek & 0xFFFE;
      uint32_t len = 1;
      while (len < 15 && v >= t.limit[len]) len++;
      uint32_t i = t.firstIndex[len] + ((v - t.limit[len - 1]) >> (16 - len));
      if (i >= uint32_t(n)) i = 0;
      run.decoder.input.edge[0] = uint8_t(peek >> 8);
      run.decoder.input.edge[1] = uint8_t(peek);
      run.decoder.input.edge[2] = uint8_t(r.Next());
      run.decoder.input.bytePos = run.decoder.input.bitPos = 0;
      ASSERT_EQ(DecodeSymbol(&run.decoder.input, &t), t.symbols[i])
          << "round " << round << " peek " << peek;
      ASSERT_EQ(run.decoder.input.bytePos * 8 + run.decoder.input.bitPos, len) << "peek " << peek;
    }
  }
}

}  // namespace
