// Allocation failures and ownership: every failed request leaves nothing to
// free and nothing half-built.
#include <gtest/gtest.h>

#include <cstdlib>

#include "archive/archive_reader.h"
#include "archive/reader_memory.h"
#include "archive/setup_reader.h"
#include "archive_builder.h"

namespace {

class ReaderFailures : public ::testing::Test {
 protected:
  // No window kept from an earlier test: a get request's first allocation
  // is then its window, whatever ran before.
  void SetUp() override { ArchiveReleaseSolidState(); }
  void TearDown() override { SetReaderAllocationFailure(&setupArchiveReader, -1); }
  std::vector<uint8_t> bytes_ =
      ArchiveBuilder().Stored("a", "alpha").Stored("b", "beta").Stored("c", "gamma").Bytes();
  ArchiveImage image_{bytes_.data(), uint32_t(bytes_.size()), 0};
};

TEST_F(ReaderFailures, WindowThatCannotBeReservedFailsTheGet) {
  SetReaderAllocationFailure(&setupArchiveReader, 0);  // the window is the first allocation
  uint8_t* data = reinterpret_cast<uint8_t*>(this);
  uint32_t size = 5;
  EXPECT_EQ(ArchiveGetEntry(&data, &size, "b", &image_, nullptr), 0);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, 0u);
}

TEST_F(ReaderFailures, OutputThatCannotBeAllocatedFailsTheGet) {
  SetReaderAllocationFailure(&setupArchiveReader, 1);  // window, then the output buffer
  uint8_t* data = reinterpret_cast<uint8_t*>(this);
  uint32_t size = 5;
  EXPECT_EQ(ArchiveGetEntry(&data, &size, "b", &image_, nullptr), 0);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, 0u);
  // The next request works again.
  EXPECT_EQ(ArchiveGetEntry(&data, &size, "b", &image_, nullptr), 1);
  std::free(data);
}

TEST_F(ReaderFailures, ListingThatRunsOutOfMemoryReleasesWhatItBuilt) {
  // Each node takes two allocations (node, name); fail at every one of them.
  for (int failAt = 0; failAt < 6; failAt++) {
    SetReaderAllocationFailure(&setupArchiveReader, failAt);
    EntryListNode* head = reinterpret_cast<EntryListNode*>(this);
    EXPECT_EQ(ArchiveListEntries(&image_, &head), 0) << failAt;
    EXPECT_EQ(head, nullptr);
    ArchiveFreeList(head);
  }
  SetReaderAllocationFailure(&setupArchiveReader, -1);
  EntryListNode* head = nullptr;
  EXPECT_EQ(ArchiveListEntries(&image_, &head), 3);
  ArchiveFreeList(head);
}

TEST_F(ReaderFailures, HugeUnpackedSizeThatCannotBeAllocatedFailsCleanly) {
  TestEntry e;
  e.name = "huge";
  e.data = ToBytes("tiny");
  e.unpackedSize = 0xFFFFFFFFu;
  auto bytes = ArchiveBuilder().Entry(e).Bytes();
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  SetReaderAllocationFailure(&setupArchiveReader, 1);  // stands in for a 4 GiB request refused
  uint8_t* data = nullptr;
  uint32_t size = 0;
  EXPECT_EQ(ArchiveGetEntry(&data, &size, "huge", &image, nullptr), 0);
  EXPECT_EQ(data, nullptr);
}

}  // namespace
