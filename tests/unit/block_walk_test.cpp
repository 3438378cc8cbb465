// Walking from block to block: sizes, skips, the end block and short tails.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/block_headers.h"
#include "archive_builder.h"

namespace {

// Opens the image and stands on the first block after the main header.
void StartWalk(ArchiveImage* image) {
  ArchiveHeader header;
  ASSERT_TRUE(OpenArchive(*image, &header));
  image->offset = 7 + header.headerSize;
}

// The names the walk finds and how it ended.
std::vector<std::string> WalkNames(const std::vector<uint8_t>& bytes, WalkStep* end = nullptr) {
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  StartWalk(&image);
  std::vector<std::string> names;
  WalkedHeader h;
  WalkStep step;
  while ((step = NextEntryHeader(&image, &h)) == WalkStep::File) {
    names.push_back(h.entry.name);
    image.offset = h.nextBlock;
  }
  if (end != nullptr) *end = step;
  return names;
}

TEST(BlockWalk, YieldsEveryEntryAndEndsSoundlyWithOrWithoutEndBlock) {
  auto bytes = ArchiveBuilder().Stored("one", "1").Stored("two", "22").Bytes();
  WalkStep end;
  EXPECT_EQ(WalkNames(bytes, &end), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(end, WalkStep::End);
  auto ended = ArchiveBuilder().Stored("one", "1").EndBlock().Bytes();
  EXPECT_EQ(WalkNames(ended, &end), std::vector<std::string>{"one"});
  EXPECT_EQ(end, WalkStep::End);
  // A few stray bytes that are no whole block: the archive was cut.
  ended.resize(ended.size() - 2);
  EXPECT_EQ(WalkNames(ended, &end), std::vector<std::string>{"one"});
  EXPECT_EQ(end, WalkStep::CutShort);
}

TEST(BlockWalk, StopsAtTheFileHeaderDataAndReportsItsLength) {
  auto bytes = ArchiveBuilder().Stored("name.txt", "hello").Bytes();
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  StartWalk(&image);
  WalkedHeader h;
  EXPECT_EQ(NextEntryHeader(&image, &h), WalkStep::File);
  EXPECT_EQ(h.entry.nameLength, 8);
  EXPECT_EQ(h.nameOffset, 20u + 32u);
  EXPECT_EQ(image.offset, 20u + 40u);
  EXPECT_EQ(h.nextBlock, 20u + 40u + 5u);
  EXPECT_EQ(h.entry.unpackedSize, 5u);
  EXPECT_STREQ(h.entry.name, "name.txt");
}

TEST(BlockWalk, EmptyNameHeaderEndingExactlyAtTheImageEndIsRead) {
  TestEntry e;
  e.name = "";
  e.flags = 0;
  auto bytes = ArchiveBuilder().Entry(e).Bytes();
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  StartWalk(&image);
  WalkedHeader h;
  EXPECT_EQ(NextEntryHeader(&image, &h), WalkStep::File);
  EXPECT_EQ(h.entry.nameLength, 0);
  EXPECT_EQ(h.entry.blockType, BlockFile);
  ArchiveImage shorter{bytes.data(), uint32_t(bytes.size() - 1), 0};
  StartWalk(&shorter);
  EXPECT_EQ(NextEntryHeader(&shorter, &h), WalkStep::CutShort);
  EXPECT_EQ(shorter.offset, 20u);
}

TEST(BlockWalk, SkipsOtherBlocksByHeaderSizeAndDataWhenFlagged) {
  auto bytes = ArchiveBuilder()
                   .Block(0x75, 0x8000, 20, 5, 25)    // header 20 + data 5
                   .Block(0x7B, 0x0000, 16, 999, 16)  // no data flag: size ignored
                   .Stored("after", "x")
                   .Bytes();
  EXPECT_EQ(WalkNames(bytes), std::vector<std::string>{"after"});
}

TEST(BlockWalk, EndBlockEndsTheWalkEvenWithFileHeadersAfterIt) {
  // Append a real file header after an end block padded out to 32 bytes.
  std::vector<uint8_t> withEnd = ArchiveBuilder().Stored("a", "1").Bytes();
  const uint8_t end[32] = {0xC4, 0x3D, 0x77, 0x00, 0x40, 32, 0};
  withEnd.insert(withEnd.end(), end, end + 32);
  auto tail = ArchiveBuilder().Stored("b", "2").Bytes();
  withEnd.insert(withEnd.end(), tail.begin() + 20, tail.end());
  EXPECT_EQ(WalkNames(withEnd), std::vector<std::string>{"a"});

  ArchiveImage image{withEnd.data(), uint32_t(withEnd.size()), 0};
  StartWalk(&image);
  WalkedHeader h;
  ASSERT_EQ(NextEntryHeader(&image, &h), WalkStep::File);
  image.offset = h.nextBlock;
  const uint32_t endStart = image.offset;
  EXPECT_EQ(NextEntryHeader(&image, &h), WalkStep::Subblock);
  EXPECT_STREQ(h.entry.name, "a");  // the header found before stays as it was
  EXPECT_EQ(image.offset, endStart);
}

TEST(BlockWalk, ShortBlockInTheLastBytesIsNeverDecoded) {
  // A 7-byte end block as real archivers write it: fewer than 32 bytes left.
  auto bytes = ArchiveBuilder().Stored("a", "1").EndBlock().Bytes();
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  StartWalk(&image);
  WalkedHeader h;
  ASSERT_EQ(NextEntryHeader(&image, &h), WalkStep::File);
  image.offset = h.nextBlock;
  const uint32_t tail = image.offset;
  EXPECT_EQ(NextEntryHeader(&image, &h), WalkStep::End);
  EXPECT_EQ(image.offset, tail);
  EXPECT_STREQ(h.entry.name, "a");
}

TEST(BlockWalk, HeaderSizeBelowSevenOrNonAdvancingOffsetFails) {
  auto bytes = ArchiveBuilder().Block(0x75, 0, 6, 0, 32).Bytes();
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  StartWalk(&image);
  WalkedHeader h;
  EXPECT_EQ(NextEntryHeader(&image, &h), WalkStep::Damaged);

  // headerSize + packedSize wraps around to before the block.
  auto wrap = ArchiveBuilder().Block(0x75, 0x8000, 32, 0xFFFFFFF0u, 32).Bytes();
  ArchiveImage image2{wrap.data(), uint32_t(wrap.size()), 0};
  StartWalk(&image2);
  EXPECT_EQ(NextEntryHeader(&image2, &h), WalkStep::Damaged);
}

TEST(BlockWalk, LongNamesAreCutTo259Bytes) {
  TestEntry e;
  e.name = std::string(300, 'n');
  e.data = ToBytes("data");
  e.unpackedSize = 4;
  e.dataCrc = Crc32Of(std::string("data"));
  auto bytes = ArchiveBuilder().Entry(e).Stored("next", "z").Bytes();
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  StartWalk(&image);
  WalkedHeader h;
  EXPECT_EQ(NextEntryHeader(&image, &h), WalkStep::File);
  EXPECT_EQ(h.entry.nameLength, 259);
  EXPECT_EQ(std::strlen(h.entry.name), 259u);
  // The data area starts where the header ends, past the part not taken.
  EXPECT_EQ(image.offset, 20u + 32u + 300u);
  image.offset = h.nextBlock;
  EXPECT_EQ(NextEntryHeader(&image, &h), WalkStep::File);
  EXPECT_STREQ(h.entry.name, "next");
}

TEST(BlockWalk, ExtraHeaderBytesArePassedBeforeTheData) {
  TestEntry e;
  e.name = "c.txt";
  e.extraHeaderBytes = 10;
  e.data = ToBytes("abc");
  auto bytes = ArchiveBuilder().Entry(e).Bytes();
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  StartWalk(&image);
  WalkedHeader h;
  EXPECT_EQ(NextEntryHeader(&image, &h), WalkStep::File);
  EXPECT_EQ(image.offset, 20u + 32u + 5u + 10u);
  EXPECT_EQ(bytes[image.offset], 'a');
}

TEST(BlockWalk, NameRunningPastTheImageEndsTheWalk) {
  TestEntry e;
  e.name = "ab";
  e.nameLengthField = 50;
  e.flags = 0;
  auto bytes = ArchiveBuilder().Stored("first", "1").Entry(e).Bytes();
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  StartWalk(&image);
  WalkedHeader h;
  ASSERT_EQ(NextEntryHeader(&image, &h), WalkStep::File);
  image.offset = h.nextBlock;
  const uint32_t start = image.offset;
  EXPECT_EQ(NextEntryHeader(&image, &h), WalkStep::CutShort);
  EXPECT_EQ(image.offset, start);
  EXPECT_STREQ(h.entry.name, "first");
}

}  // namespace
