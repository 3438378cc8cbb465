// Markers, the main header and the bounded image read.
#include <gtest/gtest.h>

#include "archive/archive_reader.h"
#include "archive/block_headers.h"
#include "archive_builder.h"

namespace {

ArchiveHeader header;

int OpenImage(ArchiveImage* image) {
  return OpenArchive(*image, &header) ? 1 : 0;
}

TEST(ReadImage, CopiesAllOrNothingAndNeverPassesTheEnd) {
  const uint8_t bytes[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  ArchiveImage image{bytes, 10, 0};
  uint8_t out[16] = {};
  EXPECT_EQ(ReadImage(&image, out, 0), 0u);
  EXPECT_EQ(image.offset, 0u);
  EXPECT_EQ(ReadImage(&image, out, 4), 4u);
  EXPECT_EQ(out[3], 3);
  EXPECT_EQ(image.offset, 4u);
  EXPECT_EQ(ReadImage(&image, out, 7), 0u);  // one byte past the end
  EXPECT_EQ(image.offset, 4u);
  EXPECT_EQ(ReadImage(&image, out, 6), 6u);  // ends exactly at size
  EXPECT_EQ(out[5], 9);
  EXPECT_EQ(image.offset, 10u);
}

TEST(ReadImage, HugeCountsDoNotWrapTheBoundTest) {
  const uint8_t bytes[4] = {};
  ArchiveImage image{bytes, 4, 2};
  uint8_t out[4];
  EXPECT_EQ(ReadImage(&image, out, 0xFFFFFFFFu), 0u);
  EXPECT_EQ(ReadImage(&image, out, 0xFFFFFFFEu), 0u);
  EXPECT_EQ(image.offset, 2u);
}

TEST(OpenArchive, AcceptsBothMarkersAndReadsTheMainHeader) {
  for (bool unique : {false, true}) {
    ArchiveBuilder b(0x0008, unique);
    ArchiveImage image = b.Image();
    image.offset = 7;
    ASSERT_EQ(OpenImage(&image), 1);
    EXPECT_EQ(header.blockType, 0x73);
    EXPECT_EQ(header.flags, 0x0008);
    EXPECT_EQ(header.headerSize, 13);
    EXPECT_EQ(image.offset, 7u);  // the image's own read position is left alone
  }
}

TEST(OpenArchive, RejectsAnImageWithoutMarker) {
  std::vector<uint8_t> bytes = ArchiveBuilder().Stored("a.txt", "abc").Bytes();
  bytes[3] = 'X';  // "RarX"
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  EXPECT_EQ(OpenImage(&image), 0);
  EntryListNode* head = reinterpret_cast<EntryListNode*>(&image);  // must stay untouched
  EXPECT_EQ(ArchiveListEntries(&image, &head), 0);
  EXPECT_EQ(head, reinterpret_cast<EntryListNode*>(&image));
  uint8_t* data = nullptr;
  uint32_t size = 99;
  EXPECT_EQ(ArchiveGetEntry(&data, &size, "a.txt", &image, nullptr), 0);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, 0u);
}

TEST(OpenArchive, FailsOnShortMarkerOrShortMainHeader) {
  std::vector<uint8_t> bytes = ArchiveBuilder().Bytes();
  for (uint32_t size : {0u, 6u, 7u, 19u}) {
    ArchiveImage image{bytes.data(), size, 0};
    EXPECT_EQ(OpenImage(&image), 0) << size;
  }
  ArchiveImage full{bytes.data(), 20, 0};
  EXPECT_EQ(OpenImage(&full), 1);
}

TEST(OpenArchive, NullImageDataFailsBothRequests) {
  ArchiveImage image{nullptr, 0, 0};
  EntryListNode* head = nullptr;
  EXPECT_EQ(ArchiveListEntries(&image, &head), 0);
  uint8_t* data = nullptr;
  uint32_t size = 0;
  EXPECT_EQ(ArchiveGetEntry(&data, &size, "x", &image, nullptr), 0);
  EXPECT_EQ(ArchiveGetEntry(&data, &size, "x", nullptr, nullptr), 0);
}

}  // namespace
