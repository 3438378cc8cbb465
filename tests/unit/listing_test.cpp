// Listing: one node per file header, all header fields, caller-owned chain.
#include <gtest/gtest.h>

#include "archive/archive_reader.h"
#include "archive_builder.h"

namespace {

TEST(Listing, CopiesEveryHeaderFieldInArchiveOrder) {
  TestEntry dir;
  dir.name = "Modules\\boot";
  dir.flags = 0x80E0;
  dir.method = 0x35;
  dir.attributes = 0x10;
  TestEntry file;
  file.name = "Modules\\boot\\a.bin";
  file.data = {1, 2, 3};
  file.unpackedSize = 10;
  file.dataCrc = 0xDEADBEEF;
  file.method = 0x33;
  file.hostSystem = 3;
  file.unpackVersion = 15;
  file.modifiedTime = 0x12345678;
  file.attributes = 0x81B4;
  auto bytes = ArchiveBuilder(0x0008).Entry(dir).Entry(file).Bytes();
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  EntryListNode* head = nullptr;
  ASSERT_EQ(ArchiveListEntries(&image, &head), 2);
  ASSERT_NE(head, nullptr);
  EXPECT_STREQ(head->name, "Modules\\boot");
  EXPECT_EQ(head->attributes, 0x10u);
  const EntryListNode* n = head->next;
  ASSERT_NE(n, nullptr);
  EXPECT_STREQ(n->name, "Modules\\boot\\a.bin");
  EXPECT_EQ(n->nameLength, 18);
  EXPECT_EQ(n->packedSize, 3u);
  EXPECT_EQ(n->unpackedSize, 10u);
  EXPECT_EQ(n->hostSystem, 3);
  EXPECT_EQ(n->dataCrc, 0xDEADBEEFu);
  EXPECT_EQ(n->modifiedTime, 0x12345678u);
  EXPECT_EQ(n->unpackVersion, 15);
  EXPECT_EQ(n->method, 0x33);
  EXPECT_EQ(n->attributes, 0x81B4u);
  EXPECT_EQ(n->next, nullptr);
  ArchiveFreeList(head);
}

TEST(Listing, ArchiveWithoutEntriesGivesNullHeadAndZero) {
  auto bytes = ArchiveBuilder().EndBlock().Bytes();
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  EntryListNode* head = reinterpret_cast<EntryListNode*>(&bytes);
  EXPECT_EQ(ArchiveListEntries(&image, &head), 0);
  EXPECT_EQ(head, nullptr);
}

TEST(Listing, WalkFailingPartWayKeepsTheNodesSoFar) {
  auto bytes = ArchiveBuilder().Stored("a", "1").Stored("b", "2").Block(0x75, 0, 3, 0, 32).Bytes();
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  EntryListNode* head = nullptr;
  EXPECT_EQ(ArchiveListEntries(&image, &head), 2);
  ArchiveFreeList(head);
}

TEST(Listing, ListsTheShapeOfTheEmbeddedArchive) {
  ArchiveBuilder b(0x0008);
  for (int i = 0; i < 9; i++) {
    TestEntry d;
    d.name = "dir" + std::to_string(i);
    d.flags = 0x80E0;
    d.method = 0x35;
    d.attributes = 0x10;
    b.Entry(d);
  }
  for (int i = 0; i < 180; i++) b.Stored("file" + std::to_string(i), "x", i ? 0x8090 : 0x8080);
  auto bytes = b.Bytes();
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  EntryListNode* head = nullptr;
  ASSERT_EQ(ArchiveListEntries(&image, &head), 189);
  int count = 0, dirs = 0;
  for (const EntryListNode* n = head; n != nullptr; n = n->next, count++)
    if (count < 9 && (n->attributes & 0x10)) dirs++;
  EXPECT_EQ(count, 189);
  EXPECT_EQ(dirs, 9);
  ArchiveFreeList(head);
}

TEST(Listing, FreeListAcceptsNull) {
  ArchiveFreeList(nullptr);
}

}  // namespace
