// The uninstall log's numbering, and the host profile file behaving as
// Windows does where the program relies on it.
#include "install/uninstall_entry.h"
#include "install/uninstall_log.h"

#include <ftw.h>
#include <gtest/gtest.h>

#include "install_fixture.h"
#include "platform/host/host_system.h"
#include "platform/install_platform.h"

namespace {

class UninstallLogTest : public ::testing::Test {
 protected:
  HostSandbox sandbox_;
};

TEST_F(UninstallLogTest, RecordsAreNumberedFromOnePerSection) {
  UninstallLog log;
  log.Reset("c:\\");
  log.AddRecord("c:\\a", "Dirs");
  log.AddRecord("c:\\b", "Files");
  log.AddRecord("c:\\a", "Dirs");
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini"),
            "[Dirs]\r\ncount=2\r\n1=c:\\a\r\n2=c:\\a\r\n[Files]\r\ncount=1\r\n1=c:\\b\r\n");
}

TEST_F(UninstallLogTest, ResetDeletesAnEarlierLog) {
  UninstallLog log;
  log.Reset("c:\\");
  log.AddRecord("old", "Files");
  EXPECT_TRUE(log.Reset("c:\\"));
  bool exists = true;
  ReadHostFile("c:\\Uninstall.ini", &exists);
  EXPECT_FALSE(exists);
}

// With an empty destination the log's name has no folder: the profile
// functions then use the Windows folder, while the deletion at the start
// looks in the current folder, as DeleteFileA does.
TEST_F(UninstallLogTest, ABareNameIsDeletedFromTheCurrentFolderNotTheWindowsFolder) {
  WriteWholeFile("c:\\work\\Uninstall.ini", reinterpret_cast<const uint8_t*>("x"), 1);
  WriteProfileValue("Files", "count", "1", "Uninstall.ini");
  UninstallLog log;
  EXPECT_TRUE(log.Reset(""));
  bool inCurrentFolder = true, inWindowsFolder = false;
  ReadHostFile("c:\\work\\Uninstall.ini", &inCurrentFolder);
  ReadHostFile("c:\\windows\\Uninstall.ini", &inWindowsFolder);
  EXPECT_FALSE(inCurrentFolder);
  EXPECT_TRUE(inWindowsFolder);
  EXPECT_FALSE(log.Reset(""));  // nothing left there to delete
}

TEST_F(UninstallLogTest, CountIsReadAsLeadingDigitsAndAsZeroWhenThereAreNone) {
  UninstallLog log;
  log.Reset("c:\\");
  WriteProfileValue("Files", "count", "  +4x", "c:\\Uninstall.ini");
  log.AddRecord("fifth", "Files");
  char value[40];
  ReadProfileValue("Files", "5", "", value, sizeof value, "c:\\Uninstall.ini");
  EXPECT_STREQ(value, "fifth");
  WriteProfileValue("Files", "count", "many", "c:\\Uninstall.ini");
  log.AddRecord("first", "Files");
  ReadProfileValue("Files", "1", "", value, sizeof value, "c:\\Uninstall.ini");
  EXPECT_STREQ(value, "first");
  ReadProfileValue("Files", "count", "", value, sizeof value, "c:\\Uninstall.ini");
  EXPECT_STREQ(value, "1");
}

TEST_F(UninstallLogTest, ProfileWritesReplaceInPlaceAndAppendMissingKeysToTheirSection) {
  const char* file = "c:\\test.ini";
  WriteProfileValue("A", "x", "1", file);
  WriteProfileValue("B", "y", "2", file);
  WriteProfileValue("A", "z", "3", file);  // after the last key of A, before [B]
  WriteProfileValue("a", "X", "4", file);  // case-insensitive, in place
  EXPECT_EQ(ReadHostFile(file), "[A]\r\nx=4\r\nz=3\r\n[B]\r\ny=2\r\n");
  char value[8];
  ReadProfileValue("B", "missing", "def", value, sizeof value, file);
  EXPECT_STREQ(value, "def");
  ReadProfileValue("B", "y", "def", value, 2, file);  // cut to the buffer
  EXPECT_STREQ(value, "2");
}

TEST_F(UninstallLogTest, ProfileWriteIntoAMissingFolderFails) {
  WriteProfileValue("A", "x", "1", "c:\\nowhere\\test.ini");
  bool exists = true;
  ReadHostFile("c:\\nowhere\\test.ini", &exists);
  EXPECT_FALSE(exists);
}

TEST_F(UninstallLogTest, UninstallKeyNeedsItsParentKey) {
  hostSystem.registry.clear();
  WriteUninstallEntry("c:\\Orbivue\\", 1);
  EXPECT_TRUE(hostSystem.registry.empty());
}

}  // namespace
