// The LZ symbols: literals, new matches, recent distances, short matches,
// and their length bonuses.
#include <gtest/gtest.h>

#include "decoder_fixture.h"
#include "lz_stream.h"

namespace {

TEST(LzDecoding, LiteralsAndAnOverlappingCopyRepeatTheLastBytes) {
  LzStream s;
  s.Literals("ab");
  s.Match(5, 1);
  s.Match(4, 2);
  DecodeRun run;
  EXPECT_EQ(run.Entry(s.Bytes(), 11), ToVector("abbbbbbbbbb"));
}

TEST(LzDecoding, RecentDistancesComeNewestFirst) {
  LzStream s;
  s.Literals("0123456789");
  s.Match(3, 10);      // A
  s.Match(3, 5);       // B
  s.Recent(2, 2, 10);  // 258: the one before the newest, A
  s.Recent(1, 2, 10);  // 257: the newest, now A again
  s.Recent(3, 2, 5);   // 259: B (ring A B A A)
  DecodeRun run;
  std::string e = "0123456789";
  auto copy = [&](size_t len, size_t dist) {
    for (size_t i = 0; i < len; i++) e += e[e.size() - dist];
  };
  copy(3, 10);
  copy(3, 5);
  copy(2, 10);
  copy(2, 10);
  copy(2, 5);
  EXPECT_EQ(run.Entry(s.Bytes(), uint32_t(e.size())), ToVector(e));
  EXPECT_EQ(run.decoder.recentCount, 5u);
}

TEST(LzDecoding, TwoSymbols258InARowAlternateBetweenTheLastTwoDistances) {
  LzStream s;
  s.Literals("abcdefgh");
  s.Match(3, 8);      // A
  s.Match(3, 3);      // B
  s.Recent(2, 2, 8);  // A
  s.Recent(2, 2, 3);  // B
  DecodeRun run;
  std::string e = "abcdefgh";
  auto copy = [&](size_t len, size_t dist) {
    for (size_t i = 0; i < len; i++) e += e[e.size() - dist];
  };
  copy(3, 8);
  copy(3, 3);
  copy(2, 8);
  copy(2, 3);
  EXPECT_EQ(run.Entry(s.Bytes(), uint32_t(e.size())), ToVector(e));
}

TEST(LzDecoding, NewMatchLengthBonusesAtTheirThresholds) {
  struct Case {
    uint32_t distance, bonus;
  } cases[] = {{8191, 0}, {8192, 1}, {262143, 1}, {262144, 2}};
  for (const Case& c : cases) {
    LzStream s;
    s.Literal('x');
    s.Match(5 + c.bonus, c.distance);
    DecodeRun run;
    run.Entry(s.Bytes(), 6 + c.bonus);
    EXPECT_EQ(run.decoder.prevMatchLength, 5 + c.bonus) << c.distance;
    EXPECT_EQ(run.decoder.prevMatchDistance, c.distance);
    EXPECT_EQ(run.count, 6 + c.bonus);
  }
}

TEST(LzDecoding, RecentDistanceLengthBonusesAtTheirThresholds) {
  struct Case {
    uint32_t distance, bonus;
  } cases[] = {{256, 0}, {257, 1}, {8192, 2}, {262144, 3}};
  for (const Case& c : cases) {
    LzStream s;
    s.Literal('x');
    s.Match(10, c.distance);
    s.Recent(1, 4 + c.bonus, c.distance);
    DecodeRun run;
    run.Entry(s.Bytes(), 1 + 10 + 4 + c.bonus);
    EXPECT_EQ(run.decoder.prevMatchLength, 4 + c.bonus) << c.distance;
  }
}

TEST(LzDecoding, ShortMatchesCopyTwoBytesAtEachSlot) {
  for (uint32_t distance : {1u, 4u, 5u, 9u, 17u, 33u, 65u, 129u, 193u, 256u}) {
    LzStream s;
    std::string e;
    for (int i = 0; i < 300; i++) e += char('A' + i % 23 + i / 23);
    s.Literals(e);
    s.Short(distance);
    e += e[e.size() - distance];
    e += e[e.size() - distance];
    DecodeRun run;
    EXPECT_EQ(run.Entry(s.Bytes(), uint32_t(e.size())), ToVector(e)) << distance;
    EXPECT_EQ(run.decoder.prevMatchLength, 2u);
  }
}

TEST(LzDecoding, Symbol256RepeatsTheLastMatchAndPushesItsDistance) {
  LzStream s;
  s.Literals("xyz");
  s.Match(3, 3);
  s.RepeatLast();
  DecodeRun run;
  EXPECT_EQ(run.Entry(s.Bytes(), 9), ToVector("xyzxyzxyz"));
  EXPECT_EQ(run.decoder.recentCount, 2u);
  EXPECT_EQ(run.decoder.recentDistances[1], 3u);
}

TEST(LzDecoding, Symbol256RightAfterAResetCopiesNothingButPushesZero) {
  LzStream s;
  s.RepeatLast();
  s.Literal('k');
  DecodeRun run;
  EXPECT_EQ(run.Entry(s.Bytes(), 1), ToVector("k"));
  EXPECT_EQ(run.decoder.recentCount, 1u);
  EXPECT_EQ(run.decoder.recentDistances[0], 0u);
}

TEST(LzDecoding, NewTablesInsideAnEntryChangeTheCodes) {
  LzStream s;
  s.Literals("before");
  std::vector<uint8_t> other = FlatLzLengths();
  for (int i = 0; i < 128; i++) other[i] = 8;  // ASCII gets shorter codes
  for (int i = 128; i < 298; i++) other[i] = 10;
  s.NewTables(other);
  s.Literals("after");
  DecodeRun run;
  EXPECT_EQ(run.Entry(s.Bytes(), 11), ToVector("beforeafter"));
}

TEST(LzDecoding, ZeroSizeEntryReadsItsHeaderAndDecodesNothing) {
  LzStream s;
  DecodeRun run;
  EXPECT_TRUE(run.Entry(s.Bytes(), 0).empty());
  EXPECT_EQ(run.decoder.literalTable.symbolCount, 298);
  EXPECT_EQ(run.decoder.writePos, 0u);
}

}  // namespace
