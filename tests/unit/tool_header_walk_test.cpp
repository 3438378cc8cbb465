// rar2tool's own header walk: every header's CRC is checked, the blocks of
// later archivers pass wherever they stand, and a cut, trailing bytes or a
// volume are told apart from damage.
#include <gtest/gtest.h>

#include "archive_builder.h"
#include "header_walk.h"
#include "testdata.h"

namespace {

ArchiveWalk Walk(const std::vector<uint8_t>& bytes) {
  ArchiveWalk walk;
  const ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  EXPECT_TRUE(WalkArchive(image, &walk));
  return walk;
}

ArchiveBuilder ThreeFiles(uint16_t mainFlags = 0) {
  ArchiveBuilder b(mainFlags);
  b.Stored("readme.txt", "Orbivue viewer").Stored("Modules\\boot.cfg", "boot=1");
  b.Stored("Filters\\thsource.ax", "source filter");
  return b;
}

// Offset of the n-th block after the main header (1-based).
size_t BlockOffset(const std::vector<uint8_t>& bytes, int n) {
  size_t at = 20;
  for (int i = 1; i < n; i++) {
    const uint16_t flags = uint16_t(bytes[at + 3] | bytes[at + 4] << 8);
    const uint32_t size = uint32_t(bytes[at + 5] | bytes[at + 6] << 8);
    uint32_t data = 0;
    if (flags & 0x8000)
      data =
          uint32_t(bytes[at + 7] | bytes[at + 8] << 8 | bytes[at + 9] << 16 | bytes[at + 10] << 24);
    at += size + data;
  }
  return at;
}

TEST(ToolHeaderWalk, SoundArchivesEndAtTheirEndBlockOrAtTheImageEnd) {
  ArchiveWalk walk = Walk(ThreeFiles().ArchiveEnd().Sealed());
  EXPECT_EQ(walk.end, WalkEnd::EndBlock);
  EXPECT_FALSE(WalkFailed(walk));
  ASSERT_EQ(walk.entries.size(), 3u);
  EXPECT_EQ(walk.entries[1].name, "Modules\\boot.cfg");
  EXPECT_EQ(walk.entries[1].unpackedSize, 6u);

  walk = Walk(ThreeFiles().Sealed());  // the writer promised no end block
  EXPECT_EQ(walk.end, WalkEnd::Complete);
  EXPECT_EQ(walk.entries.size(), 3u);
  EXPECT_TRUE(walk.problem.empty());
}

TEST(ToolHeaderWalk, AChangedByteInAnyFileHeaderIsADamagedHeaderNamingTheBlock) {
  const std::vector<uint8_t> sound = ThreeFiles().ArchiveEnd().Sealed();
  const size_t second = BlockOffset(sound, 2);
  struct Case {
    const char* what;
    size_t at;
  } cases[] = {{"a byte of the name", second + 32 + 3},
               {"the type byte", second + 2},
               {"the unpacked size", second + 14},
               {"the data CRC", second + 17},
               {"the flags", second + 4},
               {"the header CRC itself", second}};
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = sound;
    bytes[c.at] ^= 0x20;
    const ArchiveWalk walk = Walk(bytes);
    EXPECT_EQ(walk.end, WalkEnd::Damaged) << c.what;
    EXPECT_NE(walk.problem.find("damaged header: block 2 at offset " + std::to_string(second)),
              std::string::npos)
        << c.what << ": " << walk.problem;
    EXPECT_EQ(walk.entries.size(), 1u) << c.what;  // the entries before it stay
  }
}

TEST(ToolHeaderWalk, ADamagedMainHeaderOrEndBlockIsCaught) {
  std::vector<uint8_t> bytes = ThreeFiles().ArchiveEnd().Sealed();
  bytes[10] ^= 0x08;  // the solid flag
  ArchiveWalk walk = Walk(bytes);
  EXPECT_EQ(walk.end, WalkEnd::Damaged);
  EXPECT_EQ(walk.problem, "damaged header: the main header");
  EXPECT_TRUE(walk.entries.empty());

  bytes = ThreeFiles().ArchiveEnd().Sealed();
  bytes[bytes.size() - 3] ^= 0x01;  // the end block's flags
  walk = Walk(bytes);
  EXPECT_EQ(walk.end, WalkEnd::Damaged);
  EXPECT_NE(walk.problem.find("block 4"), std::string::npos) << walk.problem;
}

TEST(ToolHeaderWalk, AHeaderSizeBelowTheFixedPartIsDamage) {
  std::vector<uint8_t> bytes = ThreeFiles().Sealed();
  const size_t third = BlockOffset(bytes, 3);
  bytes[third + 5] = 20;  // a file header has 32 bytes at least
  bytes[third + 6] = 0;
  const ArchiveWalk walk = Walk(bytes);
  EXPECT_EQ(walk.end, WalkEnd::Damaged);
  EXPECT_NE(walk.problem.find("block 3"), std::string::npos) << walk.problem;
  EXPECT_EQ(walk.entries.size(), 2u);
}

TEST(ToolHeaderWalk, BlocksOfLaterArchiversPassInTheMiddleAndAtTheEnd) {
  for (uint8_t type : {0x75, 0x78, 0x79, 0x7A}) {
    for (int withData = 0; withData < 2; withData++) {
      const uint16_t flags = withData ? 0x8000 : 0x0000;
      const uint32_t data = withData ? 40 : 0;
      const uint16_t headerSize = withData ? 20 : 12;
      auto block = [&](ArchiveBuilder& b) {
        b.Block(type, flags, headerSize, data, headerSize + data);
      };
      const std::string what = "type " + std::to_string(type) + (withData ? " with data" : "");

      ArchiveBuilder middle;
      middle.Stored("a", "1");
      block(middle);
      middle.Stored("b", "22").ArchiveEnd();
      ArchiveWalk walk = Walk(middle.Sealed());
      EXPECT_EQ(walk.end, WalkEnd::EndBlock) << what << ": " << walk.problem;
      EXPECT_EQ(walk.entries.size(), 2u) << what;

      ArchiveBuilder lastBeforeEnd;
      lastBeforeEnd.Stored("a", "1").Stored("b", "22");
      block(lastBeforeEnd);
      lastBeforeEnd.ArchiveEnd();
      walk = Walk(lastBeforeEnd.Sealed());
      EXPECT_EQ(walk.end, WalkEnd::EndBlock) << what << ": " << walk.problem;
      EXPECT_EQ(walk.entries.size(), 2u) << what;

      ArchiveBuilder lastOfAll;
      lastOfAll.Stored("a", "1").Stored("b", "22");
      block(lastOfAll);
      walk = Walk(lastOfAll.Sealed());
      EXPECT_EQ(walk.end, WalkEnd::Complete) << what << ": " << walk.problem;
      EXPECT_EQ(walk.entries.size(), 2u) << what;

      // The same block damaged is still caught where it stands.
      std::vector<uint8_t> bytes = lastOfAll.Sealed();
      bytes[BlockOffset(bytes, 3) + 3] ^= 0x01;
      walk = Walk(bytes);
      EXPECT_EQ(walk.end, WalkEnd::Damaged) << what;
      EXPECT_NE(walk.problem.find("block 3"), std::string::npos) << what << ": " << walk.problem;
    }
  }
}

TEST(ToolHeaderWalk, ACutAtAnEntryBoundaryIsTruncatedWhenTheWriterPromisedAnEndBlock) {
  const uint16_t promised = MainFlagEndBlockWritten;
  std::vector<uint8_t> bytes = ThreeFiles(promised).ArchiveEnd().Sealed();
  EXPECT_EQ(Walk(bytes).end, WalkEnd::EndBlock);
  bytes.resize(BlockOffset(bytes, 3));  // the last two entries are lost
  ArchiveWalk walk = Walk(bytes);
  EXPECT_EQ(walk.end, WalkEnd::MissingEndBlock);
  EXPECT_TRUE(WalkFailed(walk));
  EXPECT_NE(walk.problem.find("truncated"), std::string::npos) << walk.problem;
  EXPECT_NE(walk.problem.find("2 entries"), std::string::npos) << walk.problem;

  // Without the promise (old writers, Setup.exe's archive) the same cut
  // cannot be told from a whole archive.
  bytes = ThreeFiles().Sealed();
  bytes.resize(BlockOffset(bytes, 3));
  EXPECT_EQ(Walk(bytes).end, WalkEnd::Complete);
}

TEST(ToolHeaderWalk, CutsInsideAHeaderOrADataAreaAreTruncated) {
  const std::vector<uint8_t> sound = ThreeFiles().ArchiveEnd().Sealed();
  const size_t third = BlockOffset(sound, 3);
  for (size_t cut : {third + 3, third + 20, third + 40, sound.size() - 3}) {
    std::vector<uint8_t> bytes(sound.begin(), sound.begin() + long(cut));
    const ArchiveWalk walk = Walk(bytes);
    EXPECT_EQ(walk.end, WalkEnd::Truncated) << cut << ": " << walk.problem;
    EXPECT_EQ(walk.problem.rfind("truncated archive", 0), 0u) << walk.problem;
  }
}

TEST(ToolHeaderWalk, BytesAfterTheEndBlockAreTrailingDataNotDamage) {
  std::vector<uint8_t> bytes = ThreeFiles().ArchiveEnd().Sealed();
  const size_t end = bytes.size();
  bytes.insert(bytes.end(), {0, 1, 2, 3, 4});
  const ArchiveWalk walk = Walk(bytes);
  EXPECT_EQ(walk.end, WalkEnd::TrailingData);
  EXPECT_EQ(walk.problem,
            "trailing data after the end block: 5 bytes from offset " + std::to_string(end));
  EXPECT_EQ(walk.entries.size(), 3u);
}

TEST(ToolHeaderWalk, VolumesAndTheInstallersStopBlockAreNoted) {
  ArchiveBuilder volume(MainFlagVolume);
  volume.Stored("whole.txt", "whole").Stored("split.bin", "first part", 0x8002);
  ArchiveWalk walk = Walk(volume.Sealed());
  EXPECT_TRUE(walk.volume);
  EXPECT_FALSE(WalkFailed(walk));
  EXPECT_EQ(walk.entries[1].flags & EntryFlagIntoNextVolume, EntryFlagIntoNextVolume);

  // A type 0x77 block is an old archiver's subblock to this walk, but the
  // installer's walk ends there.
  ArchiveBuilder stop;
  stop.Stored("a", "1").Block(0x77, 0x8000, 14, 4, 18).Stored("b", "2");
  walk = Walk(stop.Sealed());
  ASSERT_EQ(walk.entries.size(), 2u);
  EXPECT_FALSE(walk.entries[0].pastInstallerStop);
  EXPECT_TRUE(walk.entries[1].pastInstallerStop);
}

TEST(ToolHeaderWalk, NotAnArchiveIsRefusedAndAShortMainHeaderIsTruncated) {
  const std::vector<uint8_t> text = ToBytes("just some text, no archive here");
  ArchiveWalk walk;
  EXPECT_FALSE(WalkArchive({text.data(), uint32_t(text.size()), 0}, &walk));
  std::vector<uint8_t> bytes = ThreeFiles().Sealed();
  bytes.resize(15);
  EXPECT_EQ(Walk(bytes).end, WalkEnd::Truncated);
}

// One test per archive, so that each skips on its own when absent.
void ExpectSoundWalk(const std::vector<uint8_t>& bytes) {
  const ArchiveWalk walk = Walk(bytes);
  EXPECT_FALSE(WalkFailed(walk)) << walk.problem;
  EXPECT_FALSE(walk.entries.empty());
}

TEST(ToolHeaderWalk, RealArchiveWithFileCommentsWalksSoundly) {
  LOAD_TESTDATA_OR_SKIP(bytes, "rar/stored-comments-unpack20.rar");
  ExpectSoundWalk(bytes);
}

TEST(ToolHeaderWalk, RealArchiveWithAnOldSubblockAndRecoveryDataWalksSoundly) {
  LOAD_TESTDATA_OR_SKIP(bytes, "rar/small-unix-unpack20.rar");
  ExpectSoundWalk(bytes);
}

TEST(ToolHeaderWalk, RealArchivesOfOtherWritersWalkSoundly) {
  for (const char* name : {"rar/lz-wav-unpack20.rar", "rar/encrypted-lz-unpack20.rar",
                           "rar/corrupt-distance-unpack20.rar", "rar/stored-unpack29.rar",
                           "rar/comments-unpack15.rar"}) {
    LOAD_TESTDATA_OR_SKIP(bytes, name);
    SCOPED_TRACE(name);
    ExpectSoundWalk(bytes);
  }
}

}  // namespace
