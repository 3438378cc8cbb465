// What `rar2tool pack` reads from disk: the names and order of entries, code
// page 1251 names, MS-DOS times, and the inputs it refuses.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "packer/code_page.h"
#include "packer/input_tree.h"
#include "packer/item_reader.h"

namespace {

class PackInputs : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pack-inputs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    const std::string command = "rm -rf '" + root_ + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
  void Write(const std::string& relative, const std::string& contents) {
    std::ofstream(root_ + "/" + relative, std::ios::binary) << contents;
  }
  void Folder(const std::string& relative) {
    ASSERT_EQ(mkdir((root_ + "/" + relative).c_str(), 0777), 0);
  }
  bool Collect(const std::vector<std::string>& paths, std::vector<packer::PackItem>* items,
               std::string* error) {
    return packer::CollectInputs(paths, "", items, error);
  }
  // An item's bytes, as the packer reads them.
  static std::string ReadItem(const packer::PackItem& item) {
    packer::ItemReader reader;
    std::string bytes(item.size, '\0'), error;
    const bool ok =
        reader.Read(item, 0, reinterpret_cast<uint8_t*>(&bytes[0]), uint32_t(item.size), &error) &&
        reader.CheckUnchanged(item, &error);
    EXPECT_TRUE(ok) << error;
    return bytes;
  }
  std::string root_;
};

TEST_F(PackInputs, NamesAreRelativeToTheParentOfEachArgument) {
  Folder("product");
  Folder("product/Modules");
  Folder("product/Filters");
  Write("product/b.txt", "bee");
  Write("product/a.txt", "ay");
  Write("product/Modules/x.Module", "x");
  Write("loose.ini", "[s]");
  std::vector<packer::PackItem> items;
  std::string error;
  ASSERT_TRUE(Collect({root_ + "/product/", root_ + "/loose.ini"}, &items, &error)) << error;
  std::vector<std::string> names;
  for (const auto& item : items) names.push_back(item.name + (item.directory ? "/" : ""));
  // Each folder, then its files, then its subfolders, all in name order.
  const std::vector<std::string> expected = {"product/",          "product\\a.txt",
                                             "product\\b.txt",    "product\\Filters/",
                                             "product\\Modules/", "product\\Modules\\x.Module",
                                             "loose.ini"};
  EXPECT_EQ(names, expected);
  // Files are named, not read: their bytes are read when packed.
  EXPECT_EQ(items[2].path, root_ + "/product//b.txt");
  EXPECT_EQ(items[2].size, 3u);
  EXPECT_EQ(ReadItem(items[2]), "bee");
}

TEST_F(PackInputs, CyrillicNamesAreStoredInCodePage1251) {
  Folder("\xD0\x9C\xD0\xBE\xD0\xB4\xD1\x83\xD0\xBB\xD0\xB8");  // "Модули" in UTF-8
  Write("\xD0\x9C\xD0\xBE\xD0\xB4\xD1\x83\xD0\xBB\xD0\xB8/\xD0\x81\xD0\xB6.txt", "hedgehog");
  std::vector<packer::PackItem> items;
  std::string error;
  ASSERT_TRUE(
      Collect({root_ + "/\xD0\x9C\xD0\xBE\xD0\xB4\xD1\x83\xD0\xBB\xD0\xB8"}, &items, &error))
      << error;
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].name, "\xCC\xEE\xE4\xF3\xEB\xE8");
  EXPECT_EQ(items[1].name, "\xCC\xEE\xE4\xF3\xEB\xE8\\\xA8\xE6.txt");  // "Ёж"
  EXPECT_EQ(packer::Cp1251ToUtf8(items[1].name),
            "\xD0\x9C\xD0\xBE\xD0\xB4\xD1\x83\xD0\xBB\xD0\xB8\\\xD0\x81\xD0\xB6.txt");
}

TEST_F(PackInputs, RefusesInputsThatCannotBeArchived) {
  std::vector<packer::PackItem> items;
  std::string error;
  EXPECT_FALSE(Collect({root_ + "/missing"}, &items, &error));
  EXPECT_NE(error.find("missing: No such file"), std::string::npos) << error;

  Write("\xE4\xB8\xAD.txt", "chinese");  // a character code page 1251 lacks
  EXPECT_FALSE(Collect({root_ + "/\xE4\xB8\xAD.txt"}, &items, &error));
  EXPECT_NE(error.find("code page 1251"), std::string::npos) << error;

  Write("a:b", "colon");
  EXPECT_FALSE(Collect({root_ + "/a:b"}, &items, &error));
  EXPECT_NE(error.find("Windows"), std::string::npos) << error;

  ASSERT_EQ(mkfifo((root_ + "/pipe").c_str(), 0600), 0);
  EXPECT_FALSE(Collect({root_ + "/pipe"}, &items, &error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;

  Folder("loop");
  Folder("loop/inner");
  ASSERT_EQ(symlink("..", (root_ + "/loop/inner/up").c_str()), 0);
  EXPECT_FALSE(Collect({root_ + "/loop"}, &items, &error));
  EXPECT_NE(error.find("contains itself"), std::string::npos) << error;

  if (geteuid() != 0) {  // root reads everything
    Write("locked", "x");
    chmod((root_ + "/locked").c_str(), 0);
    EXPECT_FALSE(Collect({root_ + "/locked"}, &items, &error));
  }
}

TEST_F(PackInputs, AFileThatChangesWhileItIsReadIsRefused) {
  // The kernel reports size 0 for this file and then hands out its text,
  // like a file that grows while it is read.
  std::vector<packer::PackItem> items;
  std::string error;
  ASSERT_TRUE(Collect({"/proc/self/status"}, &items, &error)) << error;
  ASSERT_EQ(items.size(), 1u);
  packer::ItemReader reader;
  EXPECT_FALSE(reader.CheckUnchanged(items[0], &error));
  EXPECT_NE(error.find("changed while being packed"), std::string::npos) << error;

  // A file that is rewritten after it was listed: other size, or other time.
  Write("grows", "one");
  ASSERT_TRUE(Collect({root_ + "/grows"}, &items, &error)) << error;
  Write("grows", "one and more");
  uint8_t byte;
  EXPECT_FALSE(reader.Read(items.back(), 0, &byte, 1, &error));
  EXPECT_NE(error.find("changed while being packed"), std::string::npos) << error;
}

TEST_F(PackInputs, TheArchiveBeingWrittenIsLeftOut) {
  Folder("p");
  Write("p/keep", "k");
  Write("p/out.rar", "old archive");
  std::vector<packer::PackItem> items;
  std::string error;
  ASSERT_TRUE(packer::CollectInputs({root_ + "/p"}, root_ + "/p/out.rar", &items, &error));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].name, "p\\keep");
}

TEST(PackDosTime, PacksLocalTimeAndClampsToTheFormatsYears) {
  struct tm t = {};
  t.tm_year = 2003 - 1900;
  t.tm_mon = 6;  // July
  t.tm_mday = 14;
  t.tm_hour = 13;
  t.tm_min = 45;
  t.tm_sec = 31;
  t.tm_isdst = -1;
  const uint32_t dos = packer::DosTime(mktime(&t));
  EXPECT_EQ(dos >> 25, 23u);
  EXPECT_EQ(dos >> 21 & 15, 7u);
  EXPECT_EQ(dos >> 16 & 31, 14u);
  EXPECT_EQ(dos >> 11 & 31, 13u);
  EXPECT_EQ(dos >> 5 & 63, 45u);
  EXPECT_EQ(dos & 31, 15u);                    // two-second units
  EXPECT_EQ(packer::DosTime(0), 0x00210000u);  // 1970 becomes 1980-01-01
}

TEST(PackCodePage, ConvertsBothWaysAndRefusesWhatIsNotUtf8) {
  std::string out;
  ASSERT_TRUE(packer::Utf8ToCp1251("\xE2\x84\x96 1", &out));  // "№ 1"
  EXPECT_EQ(out, "\xB9 1");
  // Bytes that are not UTF-8 would be packed as some other name than the
  // file's: the Latin-1 "é" (0xE9) would come back as Cyrillic.
  EXPECT_FALSE(packer::Utf8ToCp1251("\xC0\xE1", &out));
  EXPECT_FALSE(packer::Utf8ToCp1251("caf\xE9.txt", &out));
  EXPECT_FALSE(packer::IsUtf8("caf\xE9.txt"));
  EXPECT_TRUE(packer::IsUtf8("caf\xC3\xA9.txt"));
  EXPECT_FALSE(packer::Utf8ToCp1251("\xC3\xA9", &out));  // "é" is not in code page 1251
  for (int b = 0x80; b < 0x100; b++) {
    if (b == 0x98) continue;  // the code page's one unassigned byte
    const std::string one(1, char(b));
    ASSERT_TRUE(packer::Utf8ToCp1251(packer::Cp1251ToUtf8(one), &out)) << b;
    EXPECT_EQ(out, one) << b;
  }
}

}  // namespace
