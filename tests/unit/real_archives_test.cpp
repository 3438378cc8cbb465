// Archives made by real RAR archivers: listing and stored entries.
#include <gtest/gtest.h>

#include <cstdlib>

#include "archive/archive_reader.h"
#include "testdata.h"

namespace {

struct Listed {
  std::string name;
  uint32_t unpackedSize, packedSize, dataCrc;
  uint8_t hostSystem, unpackVersion, method;
  uint32_t attributes;
};

std::vector<Listed> List(const std::vector<uint8_t>& bytes) {
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  EntryListNode* head = nullptr;
  const int count = ArchiveListEntries(&image, &head);
  std::vector<Listed> out;
  for (EntryListNode* n = head; n; n = n->next)
    out.push_back({n->name, n->unpackedSize, n->packedSize, n->dataCrc, n->hostSystem,
                   n->unpackVersion, n->method, n->attributes});
  ArchiveFreeList(head);
  EXPECT_EQ(count, int(out.size()));
  return out;
}

int Get(const std::vector<uint8_t>& bytes, const std::string& name, std::vector<uint8_t>* out,
        const char* password = nullptr) {
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  uint8_t* data = nullptr;
  uint32_t size = 0;
  const int ok = ArchiveGetEntry(&data, &size, name.c_str(), &image, password);
  if (out) out->assign(data, data + (data ? size : 0));
  std::free(data);
  return ok;
}

TEST(RealArchives, LzWavListsBothEntriesAndFetchesTheStoredOne) {
  LOAD_TESTDATA_OR_SKIP(bytes, "rar/lz-wav-unpack20.rar");
  auto entries = List(bytes);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "BoatModernEnglish.wav");
  EXPECT_EQ(entries[0].unpackedSize, 56464u);
  EXPECT_EQ(entries[0].packedSize, 42551u);
  EXPECT_EQ(entries[0].dataCrc, 0x82D2ED89u);
  EXPECT_EQ(entries[0].method, 0x35);
  EXPECT_EQ(entries[0].unpackVersion, 20);
  EXPECT_EQ(entries[1].name, "LICENSE.txt");
  EXPECT_EQ(entries[1].method, 0x30);
  EXPECT_EQ(entries[1].unpackedSize, 107u);
  std::vector<uint8_t> text;
  EXPECT_EQ(Get(bytes, "license.TXT", &text), 1);
  EXPECT_EQ(text.size(), 107u);
}

TEST(RealArchives, SmallUnixListsOneEntryBeforeItsEndBlock) {
  LOAD_TESTDATA_OR_SKIP(bytes, "rar/small-unix-unpack20.rar");
  auto entries = List(bytes);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "file.txt");
  EXPECT_EQ(entries[0].unpackedSize, 4u);
  EXPECT_EQ(entries[0].hostSystem, 3);
  EXPECT_EQ(entries[0].attributes, 0x81B4u);
  EXPECT_EQ(entries[0].method, 0x33);
  EXPECT_EQ(entries[0].dataCrc, 0x7E3265A8u);
}

TEST(RealArchives, StoredEntriesWithHeaderCommentsComeOutWhole) {
  LOAD_TESTDATA_OR_SKIP(bytes, "rar/stored-comments-unpack20.rar");
  auto entries = List(bytes);
  ASSERT_EQ(entries.size(), 2u);
  for (const Listed& e : entries) {
    EXPECT_EQ(e.method, 0x30);
    std::vector<uint8_t> data;
    EXPECT_EQ(Get(bytes, e.name, &data), 1) << e.name;
    EXPECT_EQ(data.size(), e.unpackedSize);
  }
}

TEST(RealArchives, EncryptedEntryIsListedAndFailsWithoutPassword) {
  LOAD_TESTDATA_OR_SKIP(bytes, "rar/encrypted-lz-unpack20.rar");
  auto entries = List(bytes);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "SECRET.TXT");
  EXPECT_EQ(entries[0].unpackedSize, 87u);
  EXPECT_EQ(entries[0].packedSize, 96u);
  EXPECT_EQ(entries[0].dataCrc, 0x967E05A2u);
  EXPECT_EQ(Get(bytes, "SECRET.TXT", nullptr), 0);
}

TEST(RealArchives, CorruptDistanceFailsCleanly) {
  LOAD_TESTDATA_OR_SKIP(bytes, "rar/corrupt-distance-unpack20.rar");
  auto entries = List(bytes);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(Get(bytes, entries[0].name, nullptr), 0);
}

TEST(RealArchives, Version29EntriesAreListedButNeverFetched) {
  LOAD_TESTDATA_OR_SKIP(bytes, "rar/stored-unpack29.rar");
  auto entries = List(bytes);
  ASSERT_EQ(entries.size(), 3u);
  for (const Listed& e : entries) {
    EXPECT_EQ(e.unpackVersion, 29);
    EXPECT_EQ(Get(bytes, e.name, nullptr), 0) << e.name;
  }
}

TEST(RealArchives, Version15StoredEntryComesOutAndCompressedOneFails) {
  LOAD_TESTDATA_OR_SKIP(bytes, "rar/comments-unpack15.rar");
  auto entries = List(bytes);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "FILE1.TXT");
  EXPECT_EQ(entries[1].name, "FILE2.TXT");
  EXPECT_EQ(Get(bytes, "FILE2.TXT", nullptr), 1);
  EXPECT_EQ(Get(bytes, "FILE1.TXT", nullptr), 0);
}

}  // namespace
