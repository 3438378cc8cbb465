// The window: delivery in batches, wrap-around, overflow, and solid entries
// that continue from the state the previous entry left.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "archive/setup_reader.h"
#include "archive_builder.h"
#include "decoder_fixture.h"
#include "lz_stream.h"

namespace {

// 'q' then maximal new matches at distance 1 until `size` bytes.
std::vector<uint8_t> LongRun(uint32_t size) {
  LzStream s;
  s.Literal('q');
  uint32_t made = 1;
  while (made < size) {
    const uint32_t len = std::min<uint32_t>(258, std::max<uint32_t>(3, size - made));
    s.Match(len, 1);
    made += len;
  }
  return s.Bytes();
}

TEST(WindowFlush, EntryLongerThanTheWindowIsDeliveredWhole) {
  const uint32_t size = (1u << 20) + 300000;
  DecodeRun run;
  std::vector<uint8_t> out = run.Entry(LongRun(size), size);
  ASSERT_EQ(out.size(), size);
  EXPECT_EQ(std::count(out.begin(), out.end(), 'q'), int64_t(size));
  EXPECT_EQ(run.decoder.flushPos, run.decoder.writePos);
  EXPECT_EQ(run.decoder.writePos, size & WindowMask);
}

TEST(WindowFlush, DeliveryWrapsFromTheWindowEndToItsStart) {
  DecodeRun run;
  LzStream first;
  first.Literal('a');
  run.Entry(first.Bytes(), 1);
  // Stand the window just before its end, as after a long solid run.
  run.decoder.writePos = run.decoder.flushPos = (1u << 20) - 2;
  LzStream second(false);
  second.Literals("xyz");
  second.Match(3, 3);
  EXPECT_EQ(run.Entry(second.Bytes(), 6, true), ToVector("xyzxyz"));
  EXPECT_EQ(run.window[(1u << 20) - 1], 'y');
  EXPECT_EQ(run.window[0], 'z');
  EXPECT_EQ(run.decoder.writePos, 4u);
}

TEST(WindowFlush, MatchSourceBeforePositionZeroReadsTheWindowEnd) {
  DecodeRun run;
  LzStream first;
  first.Literal('a');
  run.Entry(first.Bytes(), 1);
  run.window[(1u << 20) - 1] = 'E';
  run.decoder.writePos = run.decoder.flushPos = 0;
  LzStream second(false);
  second.Match(3, 1);  // copies the byte at the window's end three times
  EXPECT_EQ(run.Entry(second.Bytes(), 3, true), ToVector("EEE"));
}

TEST(WindowFlush, DistanceNearTheWindowSizeCopiesFromJustAheadOfTheWritePosition) {
  // Distance 2^20 - 1 reads the byte after the one being written: the copy
  // must go byte by byte even though the distance exceeds the length.
  DecodeRun run;
  LzStream first;
  first.Literal('a');
  run.Entry(first.Bytes(), 1);
  for (uint32_t i = 0; i < 70; i++) run.window[100 + i] = uint8_t('A' + i % 26);
  run.decoder.writePos = run.decoder.flushPos = 99;
  LzStream second(false);
  second.Match(64, (1u << 20) - 1);
  std::vector<uint8_t> model(run.window.begin(), run.window.begin() + 200);
  for (uint32_t i = 0; i < 64; i++) model[99 + i] = model[100 + i];
  EXPECT_EQ(run.Entry(second.Bytes(), 64, true),
            std::vector<uint8_t>(model.begin() + 99, model.begin() + 163));
}

TEST(WindowFlush, OutputThatWouldOverflowIsNotWritten) {
  LzStream s;
  s.Literals("0123456789");
  DecodeRun run;
  std::vector<uint8_t> out = run.Entry(s.Bytes(), 10, false, true, 4);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(run.decoder.entry.left, 0);  // the entry stopped
}

TEST(WindowFlush, MatchRunningPastTheEntryEndIsKeptOutOfTheOutput) {
  LzStream s;
  s.Literal('a');
  s.Match(10, 1);
  DecodeRun run;
  EXPECT_TRUE(run.Entry(s.Bytes(), 4).empty());  // 11 bytes made, 4 allowed
  EXPECT_EQ(run.window[10], 'a');                // the window still has them
}

TEST(WindowFlush, WithOutputOffTheWindowStillReceivesEveryByte) {
  LzStream s;
  s.Literals("hidden");
  DecodeRun run;
  EXPECT_TRUE(run.Entry(s.Bytes(), 6, false, false).empty());
  EXPECT_EQ(run.count, 0u);
  EXPECT_EQ(std::string(run.window.begin(), run.window.begin() + 6), "hidden");
  EXPECT_EQ(run.decoder.flushPos, 6u);
}

TEST(SolidEntries, ContinueTheWindowTablesAndRecentDistances) {
  DecodeRun run;
  LzStream first;
  first.Literals("hello, world");
  first.Match(3, 5);  // recent distance 5
  run.Entry(first.Bytes(), 15, false, false);
  LzStream second(false);   // no header of its own
  second.Match(5, 15);      // "hello" from the first entry
  second.Recent(1, 3, 15);  // newest: 15 again
  second.Recent(3, 2, 5);   // third newest: the first entry's 5
  std::string window = "hello, worldwor";
  auto copy = [&](size_t len, size_t dist) {
    for (size_t i = 0; i < len; i++) window += window[window.size() - dist];
  };
  copy(5, 15);
  copy(3, 15);
  copy(2, 5);
  EXPECT_EQ(run.Entry(second.Bytes(), 10, true), ToVector(window.substr(15)));
}

TEST(SolidEntries, TablesReadAfterTheLastSymbolServeTheNextEntry) {
  DecodeRun run;
  LzStream first;
  first.Literals("abc");
  std::vector<uint8_t> other = FlatLzLengths();
  for (int i = 0; i < 256; i++) other[i] = 10;  // different literal codes
  other[256] = other[269] = 9;
  first.NewTables(other);
  run.Entry(first.Bytes(), 3);
  LzStream second(false);
  second.lengths = other;
  second.codes = LzCodes(other);
  second.Literals("new codes");
  EXPECT_EQ(run.Entry(second.Bytes(), 9, true), ToVector("new codes"));
}

TEST(SolidEntries, FirstEntryOfARequestStartsAfreshWhateverItsSolidBit) {
  DecodeRun run;
  LzStream warm;
  warm.Literals("garbage state");
  warm.Match(7, 4);
  run.Entry(warm.Bytes(), 20);
  // Setup's reader holds that stale state when the request comes.
  setupArchiveReader.decoder = run.decoder;
  LzStream s;  // a complete entry with its own header
  s.RepeatLast();
  s.Literals("fresh");
  TestEntry e;
  e.name = "fresh.txt";
  e.data = s.Bytes();
  e.unpackedSize = 5;
  e.dataCrc = Crc32Of(std::string("fresh"));
  e.flags = 0x8010;  // solid, though nothing comes before it
  e.method = 0x33;
  ArchiveBuilder b(0x0008);
  b.Entry(e).EndBlock();
  ArchiveImage image = b.Image();
  uint8_t* data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(ArchiveGetEntry(&data, &size, "fresh.txt", &image, nullptr), 1);
  EXPECT_EQ(std::string(data, data + size), "fresh");
  EXPECT_EQ(setupArchiveReader.decoder.recentDistances[0],
            0u);  // the 256 pushed a zero after the reset
  std::free(data);
  ArchiveReleaseSolidState();
}

}  // namespace
