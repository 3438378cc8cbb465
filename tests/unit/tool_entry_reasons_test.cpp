// Why rar2tool says an entry failed: the get request only answers 1 or 0,
// so the reason comes from the headers and from the entries before it.
#include <gtest/gtest.h>

#include "archive_builder.h"
#include "archive_file.h"
#include "entry_fetch.h"
#include "pack_support.h"

namespace {

struct Outcome {
  bool ok;
  std::string reason;
  EntryProblem problem;
  bool causeIsEarlier;
  std::vector<uint8_t> data;  // the pieces handed on, in order
};

// Fetches every entry in order, as test and extract do.
std::vector<Outcome> FetchAll(const std::vector<uint8_t>& bytes, const char* password = nullptr) {
  LoadedArchive archive;
  archive.bytes = bytes;
  archive.image = {archive.bytes.data(), uint32_t(archive.bytes.size()), 0};
  ArchiveWalk walk;
  EXPECT_TRUE(WalkArchive(archive.image, &walk));
  EntryFetcher fetcher{&archive, &walk, password};
  std::vector<Outcome> out;
  for (size_t i = 0; i < walk.entries.size(); i++) {
    Outcome o;
    FetchOutcome outcome;
    o.ok = FetchEntry(
        &fetcher, i,
        [&](const uint8_t* bytes, uint32_t count) {
          o.data.insert(o.data.end(), bytes, bytes + count);
        },
        &outcome);
    EXPECT_EQ(o.ok, !outcome.failed());
    o.reason = DescribeOutcome(fetcher, i, outcome);
    o.problem = outcome.problem;
    o.causeIsEarlier = outcome.causeIsEarlier();
    out.push_back(o);
  }
  return out;
}

std::vector<packer::PackItem> ThreeTexts() {
  return {FileItem("first.txt", TextData(6000, 1)), FileItem("second.txt", TextData(5000, 2)),
          FileItem("third.txt", TextData(4000, 3))};
}

TEST(ToolEntryReasons, AnEntryAfterADamagedSolidEntryNamesThatEntryAsTheCause) {
  packer::ArchiveSettings settings;
  settings.solid = true;
  std::vector<uint8_t> bytes = PackOrFail(ThreeTexts(), settings);
  ArchiveWalk walk;
  ASSERT_TRUE(WalkArchive({bytes.data(), uint32_t(bytes.size()), 0}, &walk));
  const WalkedEntry& first = walk.entries[0];
  ASSERT_NE(first.method, 0x30);
  bytes[first.offset + 32 + first.name.size() + first.packedSize / 2] ^= 0x55;

  const std::vector<Outcome> got = FetchAll(bytes);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_FALSE(got[0].ok);
  EXPECT_EQ(got[0].reason, "CRC mismatch");
  EXPECT_EQ(got[0].problem, EntryProblem::CrcMismatch);
  EXPECT_FALSE(got[0].causeIsEarlier);
  for (int i = 1; i < 3; i++) {
    EXPECT_FALSE(got[i].ok) << i;
    EXPECT_EQ(got[i].reason, "CRC mismatch after the damaged earlier solid entry 'first.txt'") << i;
    // Said once for all the entries it stops, as the cause is data, not text.
    EXPECT_EQ(got[i].problem, EntryProblem::AfterDamagedEarlier) << i;
    EXPECT_TRUE(got[i].causeIsEarlier) << i;
  }
}

TEST(ToolEntryReasons, TheSecondOfTwoEntriesWithOneNameCannotBeFetched) {
  // Names that the lookup takes as one: case, and slash against backslash.
  const std::vector<uint8_t> bytes = ArchiveBuilder()
                                         .Stored("Docs\\readme.txt", "the first")
                                         .Stored("docs/README.TXT", "the second")
                                         .Stored("other.txt", "other")
                                         .ArchiveEnd()
                                         .Sealed();
  const std::vector<Outcome> got = FetchAll(bytes);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_TRUE(got[0].ok);
  EXPECT_EQ(got[0].data, ToBytes("the first"));
  EXPECT_FALSE(got[1].ok);
  EXPECT_TRUE(got[1].data.empty());  // never the first one's contents
  EXPECT_NE(got[1].reason.find("the earlier entry 'Docs\\readme.txt' has the same name"),
            std::string::npos)
      << got[1].reason;
  EXPECT_TRUE(got[2].ok);
}

TEST(ToolEntryReasons, PasswordsVersionsVolumesAndTheStopBlockHaveTheirOwnReasons) {
  packer::ArchiveSettings settings;
  settings.password = "orbivue";
  const std::vector<uint8_t> encrypted = PackOrFail(ThreeTexts(), settings);
  EXPECT_EQ(FetchAll(encrypted)[0].reason, "encrypted, password needed");
  EXPECT_EQ(FetchAll(encrypted, "wrong")[1].reason,
            "CRC mismatch (wrong password or damaged data)");
  EXPECT_TRUE(FetchAll(encrypted, "orbivue")[2].ok);

  TestEntry newer;
  newer.name = "new.txt";
  newer.data = ToBytes("abc");
  newer.unpackedSize = 3;
  newer.dataCrc = Crc32Of(newer.data);
  newer.unpackVersion = 29;
  std::vector<Outcome> got =
      FetchAll(ArchiveBuilder(0x0008).Entry(newer).Stored("old.txt", "x").Sealed());
  EXPECT_EQ(got[0].reason, "unsupported version 29");
  // The solid walk has to pass the newer entry first, as the installer does.
  EXPECT_EQ(got[1].reason,
            "not decoded: the earlier solid entry 'new.txt' needs unsupported version 29");
  EXPECT_FALSE(got[0].causeIsEarlier);
  EXPECT_TRUE(got[1].causeIsEarlier);

  got = FetchAll(ArchiveBuilder(0x0001)
                     .Stored("tail.bin", "end", 0x8001)
                     .Stored("whole.txt", "whole")
                     .Stored("head.bin", "start", 0x8002)
                     .Sealed());
  EXPECT_EQ(got[0].reason, "continued from the previous volume");
  EXPECT_TRUE(got[1].ok);
  EXPECT_EQ(got[2].reason, "continues in the next volume");

  got = FetchAll(
      ArchiveBuilder().Stored("a", "1").Block(0x77, 0x8000, 14, 4, 18).Stored("b", "2").Sealed());
  EXPECT_TRUE(got[0].ok);
  EXPECT_EQ(got[1].reason,
            "not reached: the installer's walk ends at an earlier block of type 0x77");
}

}  // namespace

namespace {

TEST(ToolEntryReasons, ANameWithANulByteIsFetchedAsTheInstallerReadsIt) {
  // The installer reads a stored name up to its first NUL byte; the tool
  // asks for it the same way, so the entry is found and tests right.
  const std::vector<uint8_t> bytes =
      ArchiveBuilder().Stored(std::string("FILE1.TXT\0x", 11), "contents").Sealed();
  const std::vector<Outcome> got = FetchAll(bytes);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_TRUE(got[0].ok) << got[0].reason;
  EXPECT_EQ(std::string(got[0].data.begin(), got[0].data.end()), "contents");
}

}  // namespace
