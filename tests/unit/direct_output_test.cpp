// Decoding straight into the output leaves exactly what decoding through
// the window leaves: the same delivered bytes and count, and the same
// window and decoder state for the solid entry after it, on intact and
// broken streams, solid chains, audio blocks and entries longer than the
// window.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "decoder_fixture.h"
#include "lz_stream.h"
#include "pack_support.h"
#include "packer/stream_encoder.h"

namespace {

// What one entry leaves behind.
struct Outcome {
  std::vector<uint8_t> delivered;
  uint32_t windowCrc;
  uint32_t writePos, flushPos, recentCount, prevMatchLength, prevMatchDistance, currentChannel;
  uint32_t recentDistances[4];
  int32_t crossDelta;
  bool dataError;
  bool operator==(const Outcome& o) const {
    return delivered == o.delivered && windowCrc == o.windowCrc && writePos == o.writePos &&
           flushPos == o.flushPos && recentCount == o.recentCount &&
           prevMatchLength == o.prevMatchLength && prevMatchDistance == o.prevMatchDistance &&
           currentChannel == o.currentChannel &&
           std::memcmp(recentDistances, o.recentDistances, sizeof recentDistances) == 0 &&
           crossDelta == o.crossDelta && dataError == o.dataError;
  }
};

struct Chain {
  std::vector<std::vector<uint8_t>> streams;
  std::vector<uint32_t> sizes;
  std::vector<bool> deliver;
};

std::vector<Outcome> DecodeChain(const Chain& c, bool direct) {
  // Stale input bytes and table slots take part in decoding broken data:
  // each chain starts from a fresh decoder.
  DecodeRun run;
  run.direct = direct;
  std::vector<Outcome> out;
  for (size_t e = 0; e < c.streams.size(); e++) {
    Outcome o{};
    o.delivered = run.Entry(c.streams[e], c.sizes[e], e > 0, c.deliver[e]);
    o.windowCrc = uint32_t(crc32(0, run.window.data(), uInt(run.window.size())));
    o.writePos = run.decoder.writePos;
    o.flushPos = run.decoder.flushPos;
    o.recentCount = run.decoder.recentCount;
    o.prevMatchLength = run.decoder.prevMatchLength;
    o.prevMatchDistance = run.decoder.prevMatchDistance;
    o.currentChannel = run.decoder.currentChannel;
    std::memcpy(o.recentDistances, run.decoder.recentDistances, sizeof o.recentDistances);
    o.crossDelta = run.decoder.crossDelta;
    o.dataError = run.decoder.dataError;
    out.push_back(o);
  }
  return out;
}

std::vector<uint8_t> Broken(TestRandom& r, std::vector<uint8_t> b) {
  if (b.empty()) return b;
  if (r.Below(2))
    b[r.Below(uint32_t(b.size()))] ^= uint8_t(1u << r.Below(8));
  else
    b.resize(r.Below(uint32_t(b.size())));
  return b;
}

TEST(DirectOutput, SameOutcomeAsThroughTheWindowOnPackedSolidChains) {
  TestRandom r(4242);
  for (int round = 0; round < 40; round++) {
    std::vector<uint8_t> data;
    std::vector<packer::StreamEntry> entries;
    for (uint32_t n = 1 + r.Below(4); n > 0; n--) {
      const uint32_t size = r.Below(4) == 0 ? r.Below(300) : r.Below(90000);
      std::vector<uint8_t> part;
      switch (r.Below(4)) {
        case 0:
          part = TextData(size, r.Next());
          break;
        case 1:
          part = SoundData(size, 1 + int(r.Below(4)), r.Next());
          break;
        case 2:
          part.assign(size, uint8_t(r.Next()));
          break;
        default:
          part = RandomData(size, r.Next());
      }
      entries.push_back({uint32_t(data.size()), size});
      data.insert(data.end(), part.begin(), part.end());
    }
    const uint32_t total = uint32_t(data.size());
    data.resize(total + 16);
    packer::EncodeSettings settings;
    settings.level = 1 + int(r.Below(5));
    settings.audio = packer::AudioChoice(r.Below(3));
    Chain c;
    c.streams = packer::EncodeStream(data.data(), total, entries, settings);
    for (size_t e = 0; e < entries.size(); e++) {
      if (r.Below(5) == 0) c.streams[e] = Broken(r, c.streams[e]);
      // Now and then a size that differs from what the stream makes: the
      // entry ends early, or its last match runs past its end.
      uint32_t size = entries[e].size;
      if (r.Below(6) == 0) size = size > 0 ? r.Below(size) : 0;
      c.sizes.push_back(size);
      c.deliver.push_back(r.Below(4) != 0);
    }
    const std::vector<Outcome> window = DecodeChain(c, false);
    const std::vector<Outcome> direct = DecodeChain(c, true);
    ASSERT_EQ(window.size(), direct.size());
    for (size_t e = 0; e < window.size(); e++)
      ASSERT_TRUE(window[e] == direct[e]) << "round " << round << " entry " << e;
  }
}

TEST(DirectOutput, SameOutcomeAsThroughTheWindowPastTheWindowSize) {
  // Matches across the window's wrap, then a solid entry whose matches
  // reach back into the first one.
  std::vector<uint8_t> data = TextData(2300000, 9);
  for (size_t i = 1200000; i < 1400000; i++) data[i] = data[i - 1040000];
  const uint32_t total = uint32_t(data.size());
  data.resize(total + 16);
  packer::EncodeSettings settings;
  settings.level = 3;
  Chain c;
  c.streams = packer::EncodeStream(data.data(), total, {{0, 2000000}, {2000000, 300000}}, settings);
  c.sizes = {2000000, 300000};
  c.deliver = {true, true};
  const std::vector<Outcome> window = DecodeChain(c, false);
  const std::vector<Outcome> direct = DecodeChain(c, true);
  ASSERT_EQ(window.size(), 2u);
  EXPECT_EQ(window[1].delivered.size(), 300000u);
  EXPECT_TRUE(window[0] == direct[0]);
  EXPECT_TRUE(window[1] == direct[1]);
}

TEST(DirectOutput, MatchesBeforeTheEntryReadTheWindowAsTheEntryFoundIt) {
  DecodeRun run;
  LzStream first;
  first.Literals("0123456789");
  run.Entry(first.Bytes(), 10, false, false);
  LzStream second(false);
  second.Literals("ab");
  second.Match(6, 4);  // "89" of the first entry, then its own "ab" and on
  EXPECT_EQ(run.Entry(second.Bytes(), 8, true), ToVector("ab89ab89"));
  EXPECT_EQ(std::string(run.window.begin() + 10, run.window.begin() + 18), "ab89ab89");
}

}  // namespace
