// The reason a reader gives for each way a request can fail, and the
// Archive... calls of Setup's reader answering 1 or 0 for the same.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "archive/archive_reader.h"
#include "archive/byte_order.h"
#include "archive/reader_handle.h"
#include "archive/reader_memory.h"
#include "archive_builder.h"
#include "pack_support.h"

namespace {

struct Request {
  std::unique_ptr<ArchiveReader> reader = std::make_unique<ArchiveReader>();
  ~Request() { ReaderRelease(reader.get()); }

  ArchiveResult Get(const std::vector<uint8_t>& bytes, const char* name,
                    const char* password = nullptr) {
    ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
    uint8_t* data = nullptr;
    uint32_t size = 0;
    const ArchiveResult result = ReaderGetEntry(reader.get(), name, &image, password, &data, &size);
    // Setup's reader answers the same request 1 exactly when this one is Ok.
    uint8_t* again = nullptr;
    uint32_t againSize = 0;
    EXPECT_EQ(ArchiveGetEntry(&again, &againSize, name, &image, password),
              result == ArchiveResult::Ok ? 1 : 0)
        << name << ": " << ArchiveResultText(result);
    ArchiveReleaseSolidState();
    std::free(again);
    std::free(data);
    return result;
  }
};

// The archive's first entry with its data area changed by change.
std::vector<uint8_t> WithData(std::vector<uint8_t> bytes, void (*change)(uint8_t* data)) {
  const uint32_t at = 20 + LoadU16(bytes.data() + 20 + 5);
  change(bytes.data() + at);
  return bytes;
}

TEST(ReaderResults, EachFailureSaysItsReason) {
  Request r;
  const std::vector<uint8_t> text = TextData(20000, 7);
  const std::vector<uint8_t> packed = PackOrFail({FileItem("a.txt", text)}, {});
  EXPECT_EQ(r.Get(packed, "a.txt"), ArchiveResult::Ok);
  EXPECT_EQ(r.Get(packed, "b.txt"), ArchiveResult::NotFound);

  std::vector<uint8_t> noMarker = packed;
  noMarker[2] = 'X';
  EXPECT_EQ(r.Get(noMarker, "a.txt"), ArchiveResult::NotAnArchive);
  EXPECT_EQ(r.Get({}, "a.txt"), ArchiveResult::NotAnArchive);

  // The data area cut: the walk reads the header, the data run past the end.
  std::vector<uint8_t> cut(packed.begin(), packed.end() - 100);
  EXPECT_EQ(r.Get(cut, "a.txt"), ArchiveResult::CutShort);
  // A header cut in the middle: the walk cannot reach the entry.
  std::vector<uint8_t> cutHeader(packed.begin(), packed.begin() + 20 + 16);
  EXPECT_EQ(r.Get(cutHeader, "a.txt"), ArchiveResult::CutShort);
  std::vector<uint8_t> smallHeader = packed;
  smallHeader[20 + 5] = 3;  // a header of 3 bytes
  smallHeader[20 + 6] = 0;
  EXPECT_EQ(r.Get(smallHeader, "a.txt"), ArchiveResult::DamagedHeader);

  // Damaged compressed data: the codes at the start replaced by ones.
  EXPECT_EQ(r.Get(WithData(packed, [](uint8_t* d) { std::memset(d, 0xFF, 64); }), "a.txt"),
            ArchiveResult::BadData);
  // One literal's bits changed: every code still valid, the CRC not.
  std::vector<uint8_t> flipped = WithData(packed, [](uint8_t* d) { d[200] ^= 0x10; });
  const ArchiveResult oneBit = r.Get(flipped, "a.txt");
  EXPECT_TRUE(oneBit == ArchiveResult::CrcMismatch || oneBit == ArchiveResult::BadData)
      << ArchiveResultText(oneBit);
  std::vector<uint8_t> stored = ArchiveBuilder().Stored("s", "stored bytes").Bytes();
  stored[stored.size() - 1] ^= 1;
  EXPECT_EQ(r.Get(stored, "s"), ArchiveResult::CrcMismatch);

  // Versions: 2.9 is unknown. Data marked 1.5 are decoded as this method's:
  // they decode when they are, and wrong bytes are put down to the method.
  std::vector<uint8_t> newer = packed;
  newer[20 + 24] = 29;
  EXPECT_EQ(r.Get(newer, "a.txt"), ArchiveResult::UnsupportedVersion);
  std::vector<uint8_t> older = packed;
  older[20 + 24] = 15;
  EXPECT_EQ(r.Get(older, "a.txt"), ArchiveResult::Ok);
  flipped[20 + 24] = 15;
  EXPECT_EQ(r.Get(flipped, "a.txt"), ArchiveResult::OlderMethod);

  packer::ArchiveSettings secret;
  secret.password = "secret";
  const std::vector<uint8_t> encrypted = PackOrFail({FileItem("a.txt", text)}, secret);
  EXPECT_EQ(r.Get(encrypted, "a.txt", "secret"), ArchiveResult::Ok);
  EXPECT_EQ(r.Get(encrypted, "a.txt"), ArchiveResult::PasswordNeeded);
  EXPECT_EQ(r.Get(encrypted, "a.txt", ""), ArchiveResult::PasswordNeeded);
  EXPECT_EQ(r.Get(encrypted, "a.txt", "wrong"), ArchiveResult::WrongPasswordOrDamaged);

  // The window, then the entry's buffer.
  for (int failAt : {0, 1}) {
    ReaderRelease(r.reader.get());
    SetReaderAllocationFailure(r.reader.get(), failAt);
    ArchiveImage image{packed.data(), uint32_t(packed.size()), 0};
    uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(ReaderGetEntry(r.reader.get(), "a.txt", &image, nullptr, &data, &size),
              ArchiveResult::OutOfMemory)
        << failAt;
    EXPECT_EQ(data, nullptr);
    SetReaderAllocationFailure(r.reader.get(), -1);
  }
}

TEST(ReaderResults, AListingSaysWhereItsWalkStopped) {
  std::unique_ptr<ArchiveReader> reader = std::make_unique<ArchiveReader>();
  std::vector<uint8_t> bytes = ArchiveBuilder().Stored("a", "1").Stored("b", "22").Bytes();
  bytes.resize(bytes.size() - 1);  // b's data cut
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  EntryListNode* head = nullptr;
  uint32_t count = 0;
  // Both headers are listed; the walk then finds b's data run past the end.
  EXPECT_EQ(ReaderListEntries(reader.get(), &image, &head, &count), ArchiveResult::CutShort);
  EXPECT_EQ(count, 2u);
  FreeEntryList(head);
  bytes.resize(20 + 33 + 10);  // b's header itself cut
  image = ArchiveImage{bytes.data(), uint32_t(bytes.size()), 0};
  EXPECT_EQ(ReaderListEntries(reader.get(), &image, &head, &count), ArchiveResult::CutShort);
  ASSERT_EQ(count, 1u);
  EXPECT_STREQ(head->name, "a");
  FreeEntryList(head);
  head = reinterpret_cast<EntryListNode*>(&image);
  const uint8_t junk[40] = {};
  image = ArchiveImage{junk, sizeof junk, 0};
  EXPECT_EQ(ReaderListEntries(reader.get(), &image, &head, &count), ArchiveResult::NotAnArchive);
  EXPECT_EQ(head, reinterpret_cast<EntryListNode*>(&image));  // untouched
  ReaderRelease(reader.get());
}

}  // namespace
