// rar2tool extract: which entry names may be written below the folder.
#include "rar2tool/entry_path.h"

#include <gtest/gtest.h>

namespace {

std::string PathOf(const std::string& name) {
  std::string path, reason;
  return EntryRelativePath(name, &path, &reason) ? path : "REFUSED: " + reason;
}

TEST(EntryPath, BackslashesBecomeFolderSeparators) {
  EXPECT_EQ(PathOf("Modules\\boot\\24\\a.bin"), "Modules/boot/24/a.bin");
  EXPECT_EQ(PathOf("a/b\\c"), "a/b/c");
  EXPECT_EQ(PathOf("a\\.\\b"), "a/b");
  EXPECT_EQ(PathOf("dots..in..name"), "dots..in..name");
}

TEST(EntryPath, NamesThatWouldLeaveTheFolderAreRefused) {
  for (const char* name : {"\\Windows\\evil.dll", "/etc/passwd", "C:\\x", "C:x", "..\\x",
                           "a\\..\\..\\x", "a/../x", "..", "", "\\", "a:b"}) {
    std::string path, reason;
    EXPECT_FALSE(EntryRelativePath(name, &path, &reason)) << name;
    EXPECT_FALSE(reason.empty());
  }
}

}  // namespace
