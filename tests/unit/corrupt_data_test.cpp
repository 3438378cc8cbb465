// Broken packed data: every case ends in bounded time without touching
// memory outside the buffers, and the entry fails its delivery or CRC test.
#include <gtest/gtest.h>

#include <random>

#include "decoder_fixture.h"
#include "lz_stream.h"

namespace {

TEST(CorruptData, SymbolsThatProduceNothingOverRunOutInputStillEnd) {
  // After the header: symbol 256 with no previous match, over and over,
  // then the data end. Stale bytes keep decoding into the same symbols.
  LzStream s;
  for (int i = 0; i < 2000; i++) s.RepeatLast();
  DecodeRun run;
  std::vector<uint8_t> out = run.Entry(s.Bytes(), 100000);
  EXPECT_LT(out.size(), 100000u);
  EXPECT_TRUE(run.decoder.dataError);
}

TEST(CorruptData, RepeatedNewTablesOverRunOutInputStillEnd) {
  LzStream s;
  std::vector<uint8_t> lengths = FlatLzLengths();
  for (int i = 0; i < 20; i++) s.NewTables(lengths);
  DecodeRun run;
  EXPECT_LT(run.Entry(s.Bytes(), 5000000).size(), 5000000u);
}

TEST(CorruptData, StaleBytesOfALongEntryEndDecodingAtTheDataEnd) {
  // 20000 packed bytes of literals, then nothing: the entry claims more.
  LzStream s;
  for (int i = 0; i < 17000; i++) s.Literal(uint8_t(i));
  DecodeRun run;
  std::vector<uint8_t> out = run.Entry(s.Bytes(), 1000000);
  EXPECT_LE(out.size(), 17000u + 8u);
  EXPECT_TRUE(run.decoder.dataError);
}

TEST(CorruptData, IntactEntryEndingExactlyAtItsLastBitIsNotTakenForBroken) {
  LzStream s;
  s.Literals("exactly");
  DecodeRun run;
  EXPECT_EQ(run.Entry(s.Bytes(), 7), ToVector("exactly"));
  EXPECT_FALSE(run.decoder.dataError);
}

TEST(CorruptData, BrokenEntryIsPassedOverToItsEndForTheSolidEntryAfterIt) {
  LzStream s;
  s.Literal('a');
  for (int i = 0; i < 10; i++) s.RepeatLast();
  DecodeRun run;
  run.Entry(s.Bytes(), 1000, false, false);
  ASSERT_TRUE(run.decoder.dataError);
  // The window stands where the 1000 bytes would have ended.
  EXPECT_EQ(run.decoder.writePos, 1000u);
  EXPECT_EQ(run.decoder.flushPos, 1000u);
  LzStream next(false);
  next.Literals("abc");
  EXPECT_EQ(run.Entry(next.Bytes(), 3, true), ToVector("abc"));
  EXPECT_FALSE(run.decoder.dataError);
  EXPECT_EQ(run.decoder.writePos, 1003u);
}

TEST(CorruptData, DistancesBeforeTheFirstByteReadZerosFromTheClearedWindow) {
  LzStream s;
  s.Literal('z');
  s.Match(5, 1000000);  // 3 + the far-distance bonus of 2
  DecodeRun run;
  std::vector<uint8_t> out = run.Entry(s.Bytes(), 6);
  EXPECT_EQ(out, (std::vector<uint8_t>{'z', 0, 0, 0, 0, 0}));
}

TEST(CorruptData, EntriesOf2GiBOrMoreWithShortDataFailWithoutOverflow) {
  // Sizes up to 4 GiB are decoded; three bytes of data for them run out.
  LzStream s;
  s.Literals("abc");
  DecodeRun run;
  for (uint32_t size : {0x80000000u, 0xFFFFFFFFu}) {
    EXPECT_TRUE(run.Entry(s.Bytes(), size, false, false).empty());
    EXPECT_TRUE(run.decoder.dataError) << size;
  }
}

TEST(CorruptData, RandomStreamsNeverCrashOrHang) {
  std::mt19937 rng(12345);
  DecodeRun run;
  for (int round = 0; round < 300; round++) {
    std::vector<uint8_t> bytes(rng() % 3000);
    for (uint8_t& b : bytes) b = uint8_t(rng());
    const uint32_t size = rng() % 200000;
    std::vector<uint8_t> out = run.Entry(bytes, size, round % 3 == 1, round % 2 == 0);
    EXPECT_LE(out.size(), size);
  }
}

}  // namespace
