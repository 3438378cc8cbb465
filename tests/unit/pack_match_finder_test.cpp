// The match finders against a search of every earlier position.
#include <gtest/gtest.h>

#include "pack_support.h"
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

std::vector<uint8_t> FewSymbols(size_t size, uint64_t seed) {
  TestRandom r(seed);
  std::vector<uint8_t> d(size);
  for (uint8_t& b : d) b = uint8_t("abcab"[r.Below(5)]);
  return d;
}

TEST(PackMatchFinder, HashChainsFindTheLongestNearestMatch) {
  std::vector<uint8_t> d = FewSymbols(3000, 1);
  const uint32_t size = uint32_t(d.size());
  d.resize(size + packer::MatchPadding);
  packer::HashChains chains(d.data(), size);
  for (uint32_t pos = 0; pos + 3 <= size; pos++) {
    const uint32_t maxLength = std::min<uint32_t>(size - pos, packer::MaxMatchLength);
    const packer::Match got = chains.Longest(pos, maxLength, 1 << 20, 1000);
    const packer::Match want = BruteForce(d, size, pos, maxLength);
    ASSERT_EQ(got.length, want.length) << pos;
    if (want.length) {
      ASSERT_EQ(got.distance, want.distance) << pos;
    }
    chains.Insert(pos);
  }
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
