// The match finders against a search of every earlier position.
#include <gtest/gtest.h>

#include "pack_support.h"
#include "packer/format_tables.h"
#include "packer/lz_symbols.h"
#include "packer/match_finder.h"

namespace {

// Longest match at pos that a new match can code, nearest first.
packer::Match BruteForce(const std::vector<uint8_t>& d, uint32_t size, uint32_t pos,
                         uint32_t maxLength) {
  packer::Match best{0, 0};
  for (uint32_t cand = pos; cand-- > 0;) {
    const uint32_t distance = pos - cand;
    if (distance > packer::MaxDistance) break;
    uint32_t n = 0;
    while (n < maxLength && pos + n < size && d[cand + n] == d[pos + n]) n++;
    n = std::min(n, packer::MaxNewMatchLength(distance));
    if (n > best.length && n >= packer::MinNewMatchLength(distance)) best = {n, distance};
  }
  return best;
}

uint32_t ExtraDistanceBits(uint32_t distance) {
  return packer::DistanceBits[packer::DistanceSlot(distance - 1)];
}

std::vector<uint8_t> FewSymbols(size_t size, uint64_t seed) {
  TestRandom r(seed);
  std::vector<uint8_t> d(size);
  for (uint8_t& b : d) b = uint8_t("abcab"[r.Below(5)]);
  return d;
}

TEST(PackMatchFinder, HashChainsFindTheLongestNearestMatch) {
  // The longest match, or one shorter by no more bytes than the most extra
  // distance bits would pay for; never a farther one of a length that a
  // nearer position reaches as well.
  std::vector<uint8_t> d = FewSymbols(3000, 1);
  const uint32_t size = uint32_t(d.size());
  d.resize(size + packer::MatchPadding);
  packer::HashChains chains(d.data(), size);
  int shorter = 0;
  for (uint32_t pos = 0; pos + 3 <= size; pos++) {
    const uint32_t maxLength = std::min<uint32_t>(size - pos, packer::MaxMatchLength);
    const packer::Match got = chains.Longest(pos, maxLength, 1 << 20, 1000);
    const packer::Match want = BruteForce(d, size, pos, maxLength);
    chains.Insert(pos);
    if (want.length == 0) {
      ASSERT_EQ(got.length, 0u) << pos;
      continue;
    }
    ASSERT_GE(got.length, 3u) << pos;
    ASSERT_EQ(memcmp(&d[pos], &d[pos - got.distance], got.length), 0) << pos;
    ASSERT_LE(got.length, want.length) << pos;
    if (got.length < want.length) {
      shorter++;
      ASSERT_LT(want.length, 32u) << pos;
      ASSERT_LE(int(want.length - got.length) * packer::FartherMatchBitsPerByte,
                int(ExtraDistanceBits(packer::MaxDistance)))
          << pos;
    }
    if (got.length >= 4) {
      const packer::Match nearer = BruteForce(d, pos + got.length, pos, got.length);
      ASSERT_EQ(nearer.distance, got.distance) << pos;
    }
  }
  // Most positions get the longest match all the same.
  EXPECT_LT(shorter, 300);
}

TEST(PackMatchFinder, BinaryTreesReportEveryLongerMatchUpToTheLongest) {
  std::vector<uint8_t> d = FewSymbols(4000, 2);
  const std::vector<uint8_t> text = TextData(4000, 3);
  d.insert(d.end(), text.begin(), text.end());
  const uint32_t size = uint32_t(d.size());
  d.resize(size + packer::MatchPadding);
  packer::BinaryTrees trees(d.data(), size);
  packer::Match found[packer::BinaryTrees::MaxMatchesPerPosition];
  for (uint32_t pos = 0; pos + 3 <= size; pos++) {
    const int count = trees.FindAndInsert(pos, 1 << 20, 1000, found);
    const uint32_t maxLength = std::min<uint32_t>(size - pos, packer::MaxMatchLength);
    uint32_t longest = 0;
    for (int k = 0; k < count; k++) {
      if (k > 0) {
        ASSERT_GT(found[k].length, found[k - 1].length);
      }
      // Each reported match is real.
      ASSERT_EQ(memcmp(&d[pos], &d[pos - found[k].distance], found[k].length), 0);
      longest = found[k].length;
    }
    uint32_t want = 0;
    for (uint32_t cand = 0; cand < pos; cand++) {
      uint32_t n = 0;
      while (n < maxLength && d[cand + n] == d[pos + n]) n++;
      want = std::max(want, n);
    }
    if (want >= 3) {
      ASSERT_EQ(longest, want) << pos;
    }
  }
}

// A picture of rows of `width` bytes, each the row above, made of flat
// panels of 3-byte pixels: long runs of period 3 that end where a new
// panel starts.
std::vector<uint8_t> PanelRows(uint32_t width, uint32_t rows) {
  std::vector<uint8_t> row(width);
  const uint8_t colours[4][3] = {{10, 20, 30}, {200, 100, 50}, {0, 0, 0}, {7, 7, 9}};
  for (uint32_t x = 0; x < width; x++) {
    const uint32_t panel = x * 4 / width;
    row[x] = colours[panel][x % 3];
  }
  std::vector<uint8_t> d;
  for (uint32_t y = 0; y < rows; y++) d.insert(d.end(), row.begin(), row.end());
  return d;
}

TEST(PackMatchFinder, RunsAreSteppedOverToTheRowAboveWithinAShortWalk) {
  const uint32_t width = 3000, rows = 4;
  std::vector<uint8_t> d = PanelRows(width, rows);
  const uint32_t size = uint32_t(d.size());
  d.resize(size + packer::MatchPadding);
  packer::HashChains chains(d.data(), size);
  for (uint32_t pos = 0; pos < 2 * width; pos++) chains.Insert(pos);
  // 150 bytes before the end of a panel in the third row: the run behind
  // it reaches only to the panel's end, the row above (50 run positions
  // back on the chain, then a whole row of them) reaches as far as asked.
  for (uint32_t pos = 2 * width; pos < 3 * width; pos++) {
    const uint32_t x = pos % width;
    if (x % (width / 4) == width / 4 - 150) {
      const packer::Match m = chains.Longest(pos, 258, 8, 258);
      EXPECT_EQ(m.length, 258u) << pos;
      EXPECT_EQ(m.distance, width) << pos;
    }
    chains.Insert(pos);
  }
}

TEST(PackMatchFinder, AFartherMatchMustPayForItsDistanceBits) {
  // The 12 bytes at `at` occur 11 bytes long 40 back, 12 long 300,000
  // back (16 more distance bits), and 40 long 600,000 back.
  const uint32_t at = 700000;
  std::vector<uint8_t> d = RandomData(at + 100, 5);
  for (uint32_t k = 0; k < 11; k++) d[at - 40 + k] = d[at + k];
  for (uint32_t k = 0; k < 12; k++) d[at - 300000 + k] = d[at + k];
  const uint32_t size = uint32_t(d.size());
  d.resize(size + packer::MatchPadding);
  packer::HashChains chains(d.data(), size);
  for (uint32_t pos = 0; pos < at; pos++) chains.Insert(pos);
  packer::Match m = chains.Longest(at, 64, 1 << 20, 64);
  EXPECT_EQ(m.length, 11u);
  EXPECT_EQ(m.distance, 40u);

  std::vector<uint8_t> e = d;
  for (uint32_t k = 0; k < 40; k++) e[at - 600000 + k] = e[at + k];
  packer::HashChains again(e.data(), size);
  for (uint32_t pos = 0; pos < at; pos++) again.Insert(pos);
  m = again.Longest(at, 64, 1 << 20, 64);
  EXPECT_EQ(m.length, 40u);
  EXPECT_EQ(m.distance, 600000u);
}

TEST(PackMatchFinder, ASearchGivesUpAfterItsPatienceRunsOutWithoutABetterMatch) {
  // Twenty positions 100 bytes apart behind `at` match it for 6 bytes; 2,100
  // back it matches for 40. With one of the twenty made a 10-byte match, the
  // walk finds something better on the way and its patience starts again.
  const uint32_t at = 20000;
  auto build = [&](bool betterOnTheWay) {
    std::vector<uint8_t> d = RandomData(at + 100, 6);
    auto copy = [&](uint32_t from, uint32_t length) {
      for (uint32_t k = 0; k < length; k++) d[from + k] = d[at + k];
      d[from + length] = uint8_t(d[at + length] ^ 1);
    };
    for (uint32_t k = 1; k <= 20; k++) copy(at - 100 * k, betterOnTheWay && k == 12 ? 10 : 6);
    copy(at - 2100, 40);
    return d;
  };
  for (bool betterOnTheWay : {false, true}) {
    std::vector<uint8_t> d = build(betterOnTheWay);
    const uint32_t size = uint32_t(d.size());
    d.resize(size + packer::MatchPadding);
    packer::HashChains chains(d.data(), size);
    for (uint32_t pos = 0; pos < at; pos++) chains.Insert(pos);
    const packer::Match patient = chains.Longest(at, 64, 1 << 20, 64);
    EXPECT_EQ(patient.length, 40u) << betterOnTheWay;
    EXPECT_EQ(patient.distance, 2100u) << betterOnTheWay;
    const packer::Match hasty = chains.Longest(at, 64, 1 << 20, 64, 12);
    EXPECT_EQ(hasty.length, betterOnTheWay ? 40u : 6u) << betterOnTheWay;
  }
}

// Random bytes with the 64 bytes at `at` copied from `distance` back.
std::vector<uint8_t> FarCopy(uint32_t at, uint32_t distance) {
  std::vector<uint8_t> d = RandomData(at + 200, 4);
  for (uint32_t k = 0; k < 64; k++) d[at + k] = d[at - distance + k];
  d.resize(d.size() + packer::MatchPadding);
  return d;
}

TEST(PackMatchFinder, TheWholeWindowAndNothingBeyondIsSearched) {
  const uint32_t at = (1u << 20) + 100;
  for (uint32_t distance : {(1u << 20) - 1, (1u << 20) + 1}) {
    const bool inWindow = distance <= packer::MaxDistance;
    const std::vector<uint8_t> d = FarCopy(at, distance);
    const uint32_t size = uint32_t(d.size() - packer::MatchPadding);
    packer::HashChains chains(d.data(), size);
    packer::BinaryTrees trees(d.data(), size);
    packer::Match found[packer::BinaryTrees::MaxMatchesPerPosition];
    for (uint32_t pos = 0; pos < at; pos++) {
      chains.Insert(pos);
      trees.FindAndInsert(pos, 64, 64, found);
    }
    const packer::Match m = chains.Longest(at, 64, 1 << 20, 64);
    const int count = trees.FindAndInsert(at, 1 << 20, 64, found);
    if (inWindow) {
      EXPECT_EQ(m.length, 64u);
      EXPECT_EQ(m.distance, distance);
      ASSERT_GT(count, 0);
      EXPECT_EQ(found[count - 1].length, 64u);
      EXPECT_EQ(found[count - 1].distance, distance);
    } else {
      EXPECT_LT(m.length, 8u);
      EXPECT_TRUE(count == 0 || found[count - 1].length < 8u);
    }
  }
}

}  // namespace
