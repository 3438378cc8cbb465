// What pack keeps from going wrong: files that compression would grow are
// stored, and names that Windows would refuse or take as one are reported,
// every one of them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "archive_builder.h"
#include "header_walk.h"
#include "input_tree.h"
#include "pack_support.h"
#include "windows_names.h"

namespace {

std::vector<WalkedEntry> Entries(const std::vector<uint8_t>& bytes) {
  ArchiveWalk walk;
  EXPECT_TRUE(WalkArchive({bytes.data(), uint32_t(bytes.size()), 0}, &walk));
  EXPECT_FALSE(WalkFailed(walk)) << walk.problem;
  return walk.entries;
}

std::vector<packer::PackItem> MixedFiles() {
  return {FileItem("noise.bin", RandomData(20000, 7)), FileItem("text.txt", TextData(20000, 8)),
          FileItem("tiny.txt", ToBytes("7 bytes")), FileItem("more.txt", TextData(9000, 9)),
          FileItem("empty.cfg", {})};
}

TEST(ToolPackStoreFallback, FilesThatWouldGrowAreStoredPlainAndASolidArchiveTrustsItsTrial) {
  for (int solid = 0; solid < 2; solid++) {
    for (int level : {1, 3, 5}) {
      packer::ArchiveSettings settings;
      settings.level = level;
      settings.solid = solid != 0;
      packer::PackSummary summary;
      std::vector<packer::PackItem> items = MixedFiles();
      // A solid archive decides by a trial before its one compression: the
      // noise is made large enough for one, and the tiny file, which has
      // none, stays compressed though it comes out no smaller.
      if (solid) items[0].data = RandomData(80000, 7);
      const std::vector<uint8_t> bytes = PackOrFail(items, settings, &summary);
      const std::string what = "level " + std::to_string(level) + (solid ? " solid" : "");
      const std::vector<WalkedEntry> entries = Entries(bytes);
      ASSERT_EQ(entries.size(), items.size()) << what;
      for (size_t i = 0; i < items.size(); i++) {
        const WalkedEntry& e = entries[i];
        const bool shouldStore =
            e.name == "noise.bin" || (!solid && e.name == "tiny.txt") || e.name == "empty.cfg";
        EXPECT_EQ(e.method == 0x30, shouldStore) << what << " " << e.name;
        if (e.name != "tiny.txt" || !solid) {
          EXPECT_LE(e.packedSize, e.unpackedSize) << what << " " << e.name;
        }
        std::vector<uint8_t> out;
        ASSERT_TRUE(FetchEntry(bytes, e.name, &out)) << what << " " << e.name;
        EXPECT_EQ(out, items[i].data) << what << " " << e.name;
      }
      EXPECT_EQ(summary.storedFiles, solid ? 2u : 3u) << what;
      // The first compressed file of a solid archive starts the decoder.
      if (solid) {
        EXPECT_EQ(entries[1].flags & 0x0010, 0) << what;
        EXPECT_EQ(entries[3].flags & 0x0010, 0x0010) << what;
      }
    }
  }
}

TEST(ToolPackStoreFallback, EncryptedFilesCompareTheirPaddedSizesAndStillComeBack) {
  for (bool solid : {false, true}) {
    packer::ArchiveSettings settings;
    settings.solid = solid;
    settings.password = "secret";
    const std::vector<packer::PackItem> items = MixedFiles();
    const std::vector<uint8_t> bytes = PackOrFail(items, settings);
    const std::vector<WalkedEntry> entries = Entries(bytes);
    for (size_t i = 0; i < items.size(); i++) {
      // Sizes are compared after a compression only outside a solid archive.
      if (!solid) {
        EXPECT_LE(entries[i].packedSize, (entries[i].unpackedSize + 15) / 16 * 16)
            << entries[i].name;
      }
      std::vector<uint8_t> out;
      ASSERT_TRUE(FetchEntry(bytes, entries[i].name, &out, "secret")) << entries[i].name;
      EXPECT_EQ(out, items[i].data) << entries[i].name;
    }
  }
}

TEST(ToolPackStoreFallback, TheSetupLayoutKeepsOneMethodForAll) {
  packer::ArchiveSettings settings;
  settings.setupLayout = true;
  settings.level = 5;
  for (const WalkedEntry& e : Entries(PackOrFail(MixedFiles(), settings)))
    EXPECT_EQ(e.method, 0x35) << e.name;
}

TEST(ToolWindowsNames, ReservedDeviceNamesAndTrailingDotsOrSpacesAreRefused) {
  std::string why;
  for (const char* bad : {"CON", "con.txt", "Prn", "aux.log.1", "NUL", "com1", "COM9.bin", "lpt5",
                          "LPT1.", "name.", "name ", "a?b", "tab\there"})
    EXPECT_FALSE(packer::WindowsNameProblem(bad, &why)) << bad;
  for (const char* good : {"CONSOLE", "com10", "COM0", "lpt", "auxiliary.txt", "Orbivue.exe",
                           ".hidden", "\xC6\xF3\xEA.txt"})
    EXPECT_TRUE(packer::WindowsNameProblem(good, &why)) << good << ": " << why;
}

TEST(ToolWindowsNames, NamesAreComparedAsWindowsDoesIncludingCyrillic) {
  // "Жук.txt" and "жук.txt" in code page 1251; "ё" and "Ё"; "a" and "a.".
  EXPECT_EQ(packer::WindowsNameKey("\xC6\xF3\xEA.txt"), packer::WindowsNameKey("\xE6\xF3\xEA.TXT"));
  EXPECT_EQ(packer::WindowsNameKey("\xB8"), packer::WindowsNameKey("\xA8"));
  EXPECT_EQ(packer::WindowsNameKey("dir\\a"), packer::WindowsNameKey("DIR\\a."));
  EXPECT_NE(packer::WindowsNameKey("\xE6"), packer::WindowsNameKey("\xE7"));
  EXPECT_NE(packer::WindowsNameKey("a\\b"), packer::WindowsNameKey("ab"));
}

class ToolPackTree : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/rar2tool-tree-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }
  void Touch(const std::string& relative) { std::ofstream(root_ + "/" + relative) << "x"; }
  std::string root_;
};

TEST_F(ToolPackTree, EveryNameProblemOfTheTreeIsReportedInOneRun) {
  mkdir((root_ + "/p").c_str(), 0777);
  mkdir((root_ + "/p/sub").c_str(), 0777);
  Touch("p/\xD0\x96\xD1\x83\xD0\xBA.txt");  // "Жук.txt" in UTF-8
  Touch("p/\xD0\xB6\xD1\x83\xD0\xBA.txt");  // "жук.txt"
  Touch("p/sub/CON.txt");
  Touch("p/sub/late.");
  Touch("p/sub/fine.txt");
  std::vector<packer::PackItem> items;
  std::string error;
  ASSERT_FALSE(packer::CollectInputs({root_ + "/p"}, "", &items, &error));
  EXPECT_NE(error.find("CON.txt: a reserved device name"), std::string::npos) << error;
  EXPECT_NE(error.find("late.: name ends in a dot"), std::string::npos) << error;
  EXPECT_NE(
      error.find("'p\\\xD0\x96\xD1\x83\xD0\xBA.txt' and 'p\\\xD0\xB6\xD1\x83\xD0\xBA.txt' are "
                 "one name on Windows"),
      std::string::npos)
      << error;
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 2);  // three lines
}

}  // namespace
