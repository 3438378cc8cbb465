// The uninstaller finds its own folder from its own path however that path
// is spelled: names of code page 932 whose last character ends in a
// backslash's byte, and a longer spelling under which records become too
// long, which then keeps what removes the product.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "uninstall_fixture.h"

namespace {

using UninstallOwnFolder = UninstallTest;

// 表 (0x95 0x5C), ソフト and 機能 (0x94 0x5C) in code page 932.
TEST_F(UninstallOwnFolder, AFolderEndingInASecondByteLikeABackslashIsFound) {
  const std::string table = "\x95\x5c", soft = "\x83\x5c\x83\x74\x83\x67",
                    feature = "\x8b\x40\x94\x5c";
  for (const std::string& folder : {"c:\\" + table + "\\", "c:\\" + soft + "\\" + table + "\\",
                                    "c:\\Program Files\\" + feature + "\\"}) {
    TearDown();  // the sandbox of the case before goes first
    SetUp();
    hostSystem.codePage = 932;
    Install(folder);
    ASSERT_TRUE(Exists(folder + "Orbivue.exe")) << folder;
    EXPECT_EQ(RunUninstall(false), ExitRemoved) << folder;
    ASSERT_EQ(hostUninstall.messages.size(), 1u) << folder;
    EXPECT_EQ(hostUninstall.messages[0].rfind("Orbivue has been removed from your computer.\n", 0),
              0u)
        << hostUninstall.messages[0];
    EXPECT_FALSE(Exists(folder)) << folder;
    EXPECT_FALSE(Exists("c:\\users\\test\\Desktop\\Orbivue.lnk")) << folder;
    EXPECT_FALSE(EntryListed()) << folder;
  }
}

// Started as z:\<long>\Orbivue\uninstall.exe (the same folder as
// c:\Orbivue\), the deeper records are too long to act on: their files stay,
// and with them the uninstaller, its log, the settings and the entry; a run
// under the short spelling then finishes the job.
TEST_F(UninstallOwnFolder, RecordsTooLongUnderALongerSpellingKeepTheUninstaller) {
  Install();
  const std::string sandbox = hostSystem.sandbox;
  std::string longFolder = "z:";
  std::string real = sandbox + "/z";
  ASSERT_EQ(mkdir(real.c_str(), 0777), 0);
  for (char name = 'a'; longFolder.size() < 235; name++) {
    const std::string part(std::min<size_t>(40, 235 - longFolder.size() - 1), name);
    longFolder += "\\" + part;
    real += "/" + part;
    ASSERT_EQ(mkdir(real.c_str(), 0777), 0);
  }
  ASSERT_EQ(symlink((sandbox + "/c/Orbivue").c_str(), (real + "/Orbivue").c_str()), 0);
  hostUninstall.programPath = longFolder + "\\Orbivue\\uninstall.exe";
  ASSERT_EQ(hostUninstall.programPath.size(), 257u);

  EXPECT_EQ(RunUninstall(true), ExitLeftOver);
  // Too long to reach: kept, as is what removes the product.
  EXPECT_TRUE(Exists("c:\\Orbivue\\Modules\\boot\\24\\loader.bin"));
  EXPECT_TRUE(Exists("c:\\Orbivue\\uninstall.exe"));
  EXPECT_TRUE(Exists("c:\\Orbivue\\Uninstall.ini"));
  EXPECT_TRUE(Exists("c:\\Orbivue\\Orbivue.ini"));
  EXPECT_TRUE(EntryListed());
  // What lies within reach went; the log still lists what stays.
  EXPECT_FALSE(Exists("c:\\Orbivue\\Orbivue.exe"));
  bool listsLoader = false;
  for (const std::string& line : Lines("c:\\Orbivue\\Uninstall.ini"))
    listsLoader = listsLoader ||
                  line.find("=c:\\Orbivue\\Modules\\boot\\24\\loader.bin") != std::string::npos;
  EXPECT_TRUE(listsLoader);

  hostUninstall.programPath = "c:\\Orbivue\\uninstall.exe";
  hostUninstall.journal.clear();
  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  EXPECT_FALSE(Exists("c:\\Orbivue"));
  EXPECT_FALSE(EntryListed());
}

}  // namespace
