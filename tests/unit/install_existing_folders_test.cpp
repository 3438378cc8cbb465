// Folders the user had before the installation, under the names of the
// product's folders, are not Setup's: they are never recorded, so the
// uninstaller leaves them; the folders Setup made are recorded once each.
#include "uninstall_fixture.h"

namespace {

using ExistingFolders = UninstallTest;

TEST_F(ExistingFolders, FoldersTheUserHadAreNeitherRecordedNorRemoved) {
  for (const char* folder : {"c:\\Data", "c:\\Data\\Help", "c:\\Data\\Skins", "c:\\Data\\Modules"})
    CreateFolder(folder);
  PutFile("c:\\Data\\Help\\mine.txt", "mine");
  ArchiveBuilder b = ProductArchive();
  for (const char* dir : {"Help", "Skins"}) b.Entry(FolderEntry(dir));
  b.Stored("Skins\\blue.skin", "blue");
  b.Stored("Help\\guide.txt", "guide");
  GiveArchive(b);
  InstallTo("c:\\Data\\");
  RunToTheEnd();
  ASSERT_TRUE(hostWizard.messageBoxes.empty());
  EXPECT_EQ(ReadHostFile("c:\\Data\\Skins\\blue.skin"), "blue");

  std::vector<std::string> dirs;
  bool inDirs = false;
  for (const std::string& line : Lines("c:\\Data\\Uninstall.ini")) {
    if (!line.empty() && line[0] == '[') inDirs = line == "[Dirs]";
    if (inDirs && line.find('=') != std::string::npos && line.rfind("count=", 0) != 0)
      dirs.push_back(line.substr(line.find('=') + 1));
  }
  const std::string group = "c:\\users\\test\\Start Menu\\Programs\\Orbivue\\";
  const std::vector<std::string> expected = {"c:\\Data\\Modules\\boot",
                                             "c:\\Data\\Modules\\boot\\24",
                                             "c:\\Data\\Filters",
                                             group,
                                             group,
                                             group};
  EXPECT_EQ(dirs, expected);

  hostUninstall.programPath = "c:\\Data\\uninstall.exe";
  hostUninstall.journal.clear();
  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  // The user's folders stay, empty or not; what Setup made is gone.
  EXPECT_TRUE(Exists("c:\\Data\\Skins"));
  EXPECT_TRUE(Exists("c:\\Data\\Modules"));
  EXPECT_EQ(ReadHostFile("c:\\Data\\Help\\mine.txt"), "mine");
  EXPECT_FALSE(Exists("c:\\Data\\Help\\guide.txt"));
  EXPECT_FALSE(Exists("c:\\Data\\Skins\\blue.skin"));
  EXPECT_FALSE(Exists("c:\\Data\\Modules\\boot"));
  EXPECT_FALSE(Exists("c:\\Data\\Filters"));
  EXPECT_FALSE(Exists("c:\\Data\\Orbivue.exe"));
  EXPECT_FALSE(EntryListed());
}

}  // namespace
