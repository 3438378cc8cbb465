// Get requests of stored entries and the CRC test that judges them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "archive/archive_reader.h"
#include "archive_builder.h"

namespace {

struct GetResult {
  int ok;
  std::string data;
  uint8_t* pointer;
  uint32_t size;
};

GetResult Get(const std::vector<uint8_t>& bytes, const char* name, const char* password = nullptr) {
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  GetResult r{};
  r.pointer = reinterpret_cast<uint8_t*>(&r);  // must be overwritten either way
  r.size = 12345;
  r.ok = ArchiveGetEntry(&r.pointer, &r.size, name, &image, password);
  if (r.pointer != nullptr) {
    r.data.assign(reinterpret_cast<char*>(r.pointer), r.size);
    std::free(r.pointer);
  }
  return r;
}

TEST(StoredExtraction, FetchesAnEntryByNameWithItsContents) {
  auto bytes = ArchiveBuilder().Stored("a.txt", "first").Stored("Dir\\B.txt", "second").Bytes();
  GetResult r = Get(bytes, "dir/b.TXT");
  EXPECT_EQ(r.ok, 1);
  EXPECT_EQ(r.data, "second");
  EXPECT_EQ(r.size, 6u);
}

TEST(StoredExtraction, FirstOfTwoEqualNamesWins) {
  auto bytes = ArchiveBuilder().Stored("same", "one").Stored("SAME", "two").Bytes();
  EXPECT_EQ(Get(bytes, "same").data, "one");
}

TEST(StoredExtraction, MissingNameFailsWithNullAndZero) {
  for (uint16_t mainFlags : {0x0000, 0x0008}) {
    auto bytes = ArchiveBuilder(mainFlags).Stored("a", "1").Stored("b", "2").Bytes();
    GetResult r = Get(bytes, "c");
    EXPECT_EQ(r.ok, 0);
    EXPECT_EQ(r.pointer, nullptr);
    EXPECT_EQ(r.size, 0u);
  }
}

TEST(StoredExtraction, ZeroSizeEntrySucceedsWithAValidEmptyBuffer) {
  TestEntry dir;
  dir.name = "Folder";
  dir.flags = 0x80E0;
  dir.method = 0x35;
  dir.attributes = 0x10;
  auto bytes = ArchiveBuilder().Entry(dir).Bytes();
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  uint8_t* data = nullptr;
  uint32_t size = 7;
  ASSERT_EQ(ArchiveGetEntry(&data, &size, "Folder", &image, nullptr), 1);
  EXPECT_NE(data, nullptr);
  EXPECT_EQ(size, 0u);
  std::free(data);
}

TEST(StoredExtraction, ContentsThatDoNotMatchTheCrcFail) {
  TestEntry e;
  e.name = "bad";
  e.data = ToBytes("hello");
  e.unpackedSize = 5;
  e.dataCrc = Crc32Of(std::string("hellO"));
  auto bytes = ArchiveBuilder().Entry(e).Bytes();
  GetResult r = Get(bytes, "bad");
  EXPECT_EQ(r.ok, 0);
  EXPECT_EQ(r.pointer, nullptr);
}

TEST(StoredExtraction, ShortDeliveryFailsWithoutReadingUndeliveredBytes) {
  // Packed data shorter than the entry: whatever the CRC of the full size
  // would be over uninitialised memory, a short delivery fails outright.
  TestEntry e;
  e.name = "short";
  e.data = ToBytes("abc");
  e.unpackedSize = 6;
  e.dataCrc = Crc32Of(std::vector<uint8_t>{'a', 'b', 'c', 0, 0, 0});
  auto bytes = ArchiveBuilder().Entry(e).Bytes();
  EXPECT_EQ(Get(bytes, "short").ok, 0);

  // Data area cut by the end of the image.
  auto cut = ArchiveBuilder().Stored("cut", "0123456789").Bytes();
  cut.resize(cut.size() - 4);
  EXPECT_EQ(Get(cut, "cut").ok, 0);
}

TEST(StoredExtraction, VersionOutside13To20Fails) {
  for (uint8_t version : {12, 13, 20, 21, 29}) {
    TestEntry e;
    e.name = "v";
    e.data = ToBytes("x");
    e.unpackedSize = 1;
    e.dataCrc = Crc32Of(std::string("x"));
    e.unpackVersion = version;
    auto bytes = ArchiveBuilder().Entry(e).Bytes();
    EXPECT_EQ(Get(bytes, "v").ok, version >= 13 && version <= 20) << int(version);
  }
}

TEST(StoredExtraction, SolidArchiveChecksVersionsOfEntriesBeforeTheWanted) {
  TestEntry old;
  old.name = "old";
  old.unpackVersion = 29;
  old.data = ToBytes("o");
  old.unpackedSize = 1;
  old.dataCrc = Crc32Of(std::string("o"));
  auto solid = ArchiveBuilder(0x0008).Entry(old).Stored("new", "n").Bytes();
  EXPECT_EQ(Get(solid, "new").ok, 0);
  auto plain = ArchiveBuilder(0x0000).Entry(old).Stored("new", "n").Bytes();
  EXPECT_EQ(Get(plain, "new").ok, 1);
}

TEST(StoredExtraction, StoredEntryBeforeTheWantedInASolidArchiveIsPassedOver) {
  auto bytes = ArchiveBuilder(0x0008)
                   .Stored("first", std::string(5000, 'f'))
                   .Stored("second", "wanted", 0x8010)
                   .Bytes();
  GetResult r = Get(bytes, "second");
  EXPECT_EQ(r.ok, 1);
  EXPECT_EQ(r.data, "wanted");
}

TEST(StoredExtraction, DataAreaIsFoundAfterHeaderComments) {
  TestEntry e;
  e.name = "commented.txt";
  e.extraHeaderBytes = 24;
  e.data = ToBytes("body");
  e.unpackedSize = 4;
  e.dataCrc = Crc32Of(std::string("body"));
  auto bytes = ArchiveBuilder().Entry(e).Stored("after", "ok").Bytes();
  EXPECT_EQ(Get(bytes, "commented.txt").data, "body");
  EXPECT_EQ(Get(bytes, "after").data, "ok");
}

TEST(StoredExtraction, OverlongWantedNameIsCutNotOverrun) {
  TestEntry e;
  e.name = std::string(300, 'q');
  e.data = ToBytes("long");
  e.unpackedSize = 4;
  e.dataCrc = Crc32Of(std::string("long"));
  auto bytes = ArchiveBuilder().Entry(e).Bytes();
  // Both the stored name and the asked name are cut to the same 259 bytes.
  EXPECT_EQ(Get(bytes, std::string(300, 'q').c_str()).data, "long");
  EXPECT_EQ(Get(bytes, std::string(5000, 'Q').c_str()).data, "long");
}

TEST(StoredExtraction, RequestsKeepNoStateBetweenThem) {
  auto a = ArchiveBuilder().Stored("x", "from a").Bytes();
  auto b = ArchiveBuilder().Stored("y", "from b").Bytes();
  EXPECT_EQ(Get(a, "x").data, "from a");
  EXPECT_EQ(Get(b, "y").data, "from b");
  EXPECT_EQ(Get(b, "x").ok, 0);
  EXPECT_EQ(Get(a, "x").data, "from a");
}

}  // namespace
