// rar2tool extract never follows a symbolic link below DIR, never replaces
// a file unless asked, restores times, and brings Cyrillic names back.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>

#include "archive_builder.h"
#include "commands.h"
#include "safe_output.h"

namespace {

class ToolExtractSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/rar2tool-extract-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    dir_ = root_ + "/out";
    outside_ = root_ + "/outside";
    ASSERT_EQ(mkdir(dir_.c_str(), 0777), 0);
    ASSERT_EQ(mkdir(outside_.c_str(), 0777), 0);
  }
  void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }

  int Extract(const std::vector<uint8_t>& bytes, bool overwrite = false, bool keep = false) {
    const std::string archive = root_ + "/a.rar";
    std::ofstream(archive, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ToolOptions options;
    options.command = "extract";
    options.archive = archive;
    options.dir = dir_;
    options.overwrite = overwrite;
    options.keep = keep;
    options.quiet = true;
    return ExtractCommand(options);
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static bool IsLink(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  }
  static bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
  }

  std::string root_, dir_, outside_;
};

std::vector<uint8_t> Product() {
  return ArchiveBuilder()
      .Stored("Product\\readme.txt", "from the archive")
      .Stored("Product\\Modules\\boot.cfg", "boot=1")
      .Stored("other.txt", "other")
      .ArchiveEnd()
      .Sealed();
}

TEST_F(ToolExtractSafety, AFolderThatIsALinkOutsideIsRefusedAndTheRestIsWritten) {
  ASSERT_EQ(symlink(outside_.c_str(), (dir_ + "/Product").c_str()), 0);
  EXPECT_EQ(Extract(Product()), ExitFailed);
  EXPECT_FALSE(Exists(outside_ + "/readme.txt"));
  EXPECT_FALSE(Exists(outside_ + "/Modules"));
  EXPECT_TRUE(IsLink(dir_ + "/Product"));
  EXPECT_EQ(Read(dir_ + "/other.txt"), "other");  // it carried on
}

TEST_F(ToolExtractSafety, AFileThatIsALinkIsRefusedEvenWithOverwrite) {
  const std::string victim = outside_ + "/victim.txt";
  Write(victim, "precious");
  ASSERT_EQ(mkdir((dir_ + "/Product").c_str(), 0777), 0);
  ASSERT_EQ(symlink(victim.c_str(), (dir_ + "/Product/readme.txt").c_str()), 0);
  for (bool overwrite : {false, true}) {
    EXPECT_EQ(Extract(Product(), overwrite), ExitFailed);
    EXPECT_EQ(Read(victim), "precious");
    EXPECT_TRUE(IsLink(dir_ + "/Product/readme.txt"));
  }
}

TEST_F(ToolExtractSafety, ADanglingLinkIsNotFollowedToMakeItsTarget) {
  const std::string target = outside_ + "/made-through-link.txt";
  ASSERT_EQ(mkdir((dir_ + "/Product").c_str(), 0777), 0);
  ASSERT_EQ(symlink(target.c_str(), (dir_ + "/Product/readme.txt").c_str()), 0);
  ASSERT_EQ(symlink((outside_ + "/no-such-folder").c_str(), (dir_ + "/Product/Modules").c_str()),
            0);
  EXPECT_EQ(Extract(Product()), ExitFailed);
  EXPECT_FALSE(Exists(target));
  EXPECT_FALSE(Exists(outside_ + "/no-such-folder"));
}

TEST_F(ToolExtractSafety, ALinkEntryOfTheArchiveCannotCarryALaterEntryOutside) {
  // A Unix archive's symbolic link entry comes out as a plain file holding
  // its target, so the entry after it, below the same name, is refused.
  TestEntry link;
  link.name = "escape";
  link.data = ToBytes(outside_);
  link.unpackedSize = uint32_t(link.data.size());
  link.dataCrc = Crc32Of(link.data);
  link.hostSystem = 3;
  link.attributes = 0xA1FF;
  const std::vector<uint8_t> bytes =
      ArchiveBuilder().Entry(link).Stored("escape\\passwd", "owned").ArchiveEnd().Sealed();
  EXPECT_EQ(Extract(bytes), ExitFailed);
  EXPECT_FALSE(IsLink(dir_ + "/escape"));
  EXPECT_EQ(Read(dir_ + "/escape"), outside_);
  EXPECT_FALSE(Exists(outside_ + "/passwd"));
}

TEST_F(ToolExtractSafety, ExistingFilesAreAnErrorUnlessOverwrittenOrKept) {
  ASSERT_EQ(Extract(Product()), ExitOk);
  Write(dir_ + "/other.txt", "changed by the user");
  EXPECT_EQ(Extract(Product()), ExitFailed);
  EXPECT_EQ(Read(dir_ + "/other.txt"), "changed by the user");
  EXPECT_EQ(Extract(Product(), false, true), ExitOk);
  EXPECT_EQ(Read(dir_ + "/other.txt"), "changed by the user");
  EXPECT_EQ(Extract(Product(), true, false), ExitOk);
  EXPECT_EQ(Read(dir_ + "/other.txt"), "other");
}

TEST_F(ToolExtractSafety, TheSecondEntryOfANameIsReportedNotWrittenOverTheFirst) {
  const std::vector<uint8_t> bytes =
      ArchiveBuilder().Stored("dup.txt", "one").Stored("DUP.TXT", "two").ArchiveEnd().Sealed();
  for (bool overwrite : {false, true}) {
    EXPECT_EQ(Extract(bytes, overwrite), ExitFailed);
    EXPECT_EQ(Read(dir_ + "/dup.txt"), "one");
    EXPECT_FALSE(Exists(dir_ + "/DUP.TXT"));
  }
}

TEST_F(ToolExtractSafety, TimesComeBackForFilesAndForFoldersAfterTheirContents) {
  const uint32_t fileTime = (41u << 25) | (5u << 21) | (6u << 16) | (7u << 11) | (8u << 5) | 5u;
  const uint32_t folderTime = (40u << 25) | (1u << 21) | (2u << 16) | (3u << 11) | (4u << 5);
  TestEntry folder;
  folder.name = "Product";
  folder.attributes = 0x10;
  folder.modifiedTime = folderTime;
  TestEntry file;
  file.name = "Product\\readme.txt";
  file.data = ToBytes("text");
  file.unpackedSize = 4;
  file.dataCrc = Crc32Of(file.data);
  file.modifiedTime = fileTime;
  ASSERT_EQ(Extract(ArchiveBuilder().Entry(folder).Entry(file).ArchiveEnd().Sealed()), ExitOk);
  struct stat st;
  ASSERT_EQ(stat((dir_ + "/Product/readme.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, DosTimeToUnix(fileTime));
  ASSERT_EQ(stat((dir_ + "/Product").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, DosTimeToUnix(folderTime));
  struct tm local {};
  const std::time_t t = DosTimeToUnix(fileTime);
  localtime_r(&t, &local);
  EXPECT_EQ(local.tm_year, 2021 - 1900);
  EXPECT_EQ(local.tm_sec, 10);
  EXPECT_EQ(DosTimeToUnix(0), -1);
}

TEST_F(ToolExtractSafety, CyrillicNamesComeBackInUtf8AndDirIsMadeWithItsParents) {
  dir_ = root_ + "/new/deeper/out";
  const std::vector<uint8_t> bytes = ArchiveBuilder()
                                         .Stored("\xC6\xF3\xEA.txt", "beetle")  // "Жук.txt"
                                         .ArchiveEnd()
                                         .Sealed();
  ASSERT_EQ(Extract(bytes), ExitOk);
  EXPECT_EQ(Read(dir_ + "/\xD0\x96\xD1\x83\xD0\xBA.txt"), "beetle");
}

}  // namespace
