// Setup and the file system as it is: a destination whose parents are
// missing, and links below the product's places, which are never followed.
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "install_fixture.h"

namespace {

using InstallPaths = InstallTest;

void MakeLink(const std::string& target, const std::string& windowsPath) {
  ASSERT_EQ(symlink(HostPath(target).c_str(), HostPath(windowsPath).c_str()), 0) << windowsPath;
}

void MakeFolder(const std::string& windowsPath) {
  ASSERT_EQ(mkdir(HostPath(windowsPath).c_str(), 0777), 0) << windowsPath;
}

std::string Message() {
  return hostWizard.messageBoxes.empty() ? "" : hostWizard.messageBoxes[0].text;
}

TEST_F(InstallPaths, MissingParentsAreMadeAndRecordedBeforeTheDestination) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\New Parent\\Inner\\Orbivue\\");
  RunToTheEnd();
  EXPECT_EQ(Message(), "");
  EXPECT_EQ(ReadHostFile("c:\\New Parent\\Inner\\Orbivue\\Orbivue.exe"), "viewer program");
  const std::vector<std::string> log = Lines("c:\\New Parent\\Inner\\Orbivue\\Uninstall.ini");
  ASSERT_GT(log.size(), 5u);
  EXPECT_EQ(log[2], "1=c:\\New Parent\\");
  EXPECT_EQ(log[3], "2=c:\\New Parent\\Inner\\");
  EXPECT_EQ(log[4], "3=c:\\New Parent\\Inner\\Orbivue\\");
  EXPECT_EQ(log[5], "4=c:\\New Parent\\Inner\\Orbivue\\Modules");
}

TEST_F(InstallPaths, AnExistingParentIsNotRecorded) {
  MakeFolder("c:\\Tools");
  GiveArchive(ProductArchive());
  InstallTo("c:\\Tools\\Orbivue\\");
  RunToTheEnd();
  const std::vector<std::string> log = Lines("c:\\Tools\\Orbivue\\Uninstall.ini");
  ASSERT_GT(log.size(), 3u);
  EXPECT_EQ(log[2], "1=c:\\Tools\\Orbivue\\");
  EXPECT_EQ(log[3], "2=c:\\Tools\\Orbivue\\Modules");
}

// Only the outermost folder Setup makes gets the Program Files folder's
// rules, and only outside the folders the system protects.
TEST_F(InstallPaths, TheOutermostFolderMadeOutsideTheSystemsFoldersIsGuarded) {
  const struct {
    const char *existing, *destination, *guarded;
  } cases[] = {{nullptr, "c:\\Orbivue\\", "c:\\Orbivue\\"},
               {nullptr, "c:\\New\\Inner\\Orbivue\\", "c:\\New\\"},
               {"c:\\Tools", "c:\\Tools\\Orbivue\\", "c:\\Tools\\Orbivue\\"},
               {"c:\\Orbivue", "c:\\Orbivue\\", nullptr},
               {"c:\\Program Files", "c:\\PROGRAM FILES\\Orbivue\\", nullptr},
               {nullptr, "c:\\windows\\Orbivue\\", nullptr}};
  for (const auto& c : cases) {
    SetUp();
    if (c.existing != nullptr) mkdir(HostPath(c.existing).c_str(), 0777);  // may stand already
    GiveArchive(ProductArchive());
    InstallTo(c.destination);
    RunToTheEnd();
    EXPECT_EQ(Message(), "") << c.destination;
    EXPECT_EQ(hostSystem.guardedFolders,
              c.guarded ? std::vector<std::string>{c.guarded} : std::vector<std::string>{})
        << c.destination;
  }
}

// A file link and a folder link in an existing destination: their targets
// stay untouched, the run stops with the write error naming the link, and
// the log never lists what lies behind it.
TEST_F(InstallPaths, LinksInTheDestinationStopTheRunAndTheirTargetsStayUntouched) {
  for (const char* link : {"c:\\Orbivue\\graphedt.exe", "c:\\Orbivue\\Filters",
                           "c:\\Orbivue\\Modules", "c:\\Orbivue\\Orbivue.ini",
                           "c:\\Orbivue\\Uninstall.ini", "c:\\Orbivue\\Uninstall.ini.new"}) {
    SetUp();
    MakeFolder("c:\\Orbivue");
    MakeFolder("c:\\mine");
    std::ofstream(HostPath("c:\\mine\\precious.txt")) << "mine";
    std::ofstream(HostPath("c:\\mine\\mpgdec.ax")) << "mine";
    const bool folder = std::string(link).find('.') == std::string::npos;
    MakeLink(folder ? "c:\\mine" : "c:\\mine\\precious.txt", link);
    GiveArchive(ProductArchive());
    InstallTo("c:\\Orbivue\\");
    RunToTheEnd();
    EXPECT_EQ(Message(), std::string("Create file or directory error !\n\"") + link + "\"") << link;
    EXPECT_EQ(ReadHostFile("c:\\mine\\precious.txt"), "mine") << link;
    EXPECT_EQ(ReadHostFile("c:\\mine\\mpgdec.ax"), "mine") << link;
    bool exists = true;
    ReadHostFile("c:\\mine\\loader.bin", &exists);
    EXPECT_FALSE(exists) << link;
    for (const std::string& line : Lines("c:\\Orbivue\\Uninstall.ini"))
      EXPECT_EQ(line.find(link), std::string::npos) << line;
    EXPECT_TRUE(installChoices.aborted) << link;
  }
}

// A link that another process swaps in between Setup's look and its act:
// the act stops at it with the write error naming it, and what it points
// at stays as it was. The installation is a second one, over the first.
struct SwapAtTheAct {
  std::string acted, path;
  bool folder = false, done = false;
} swapAtTheAct;

void SwapInTheLink(const char* acted) {
  if (swapAtTheAct.done || swapAtTheAct.acted != acted) return;
  swapAtTheAct.done = true;
  const std::string real = HostPath(swapAtTheAct.path);
  std::rename(real.c_str(), (real + ".moved").c_str());
  symlink(HostPath(swapAtTheAct.folder ? "c:\\mine" : "c:\\mine\\precious.txt").c_str(),
          real.c_str());
}

TEST_F(InstallPaths, ALinkSwappedInAtTheActStopsItAndItsTargetStaysUntouched) {
  const struct {
    const char *acted, *path;
    bool folder;
  } swaps[] = {
      {"c:\\Orbivue\\Filters\\mpgdec.ax", "c:\\Orbivue\\Filters", true},
      {"c:\\Orbivue\\Modules\\boot\\24\\loader.bin", "c:\\Orbivue\\Modules", true},
      {"c:\\Orbivue\\graphedt.exe", "c:\\Orbivue\\graphedt.exe", false},
      {"c:\\Orbivue\\Orbivue.ini", "c:\\Orbivue\\Orbivue.ini", false},
      {"c:\\users\\test\\Desktop\\Orbivue.lnk", "c:\\users\\test\\Desktop\\Orbivue.lnk", false},
  };
  for (const auto& swap : swaps) {
    SetUp();
    GiveArchive(ProductArchive());
    InstallTo("c:\\Orbivue\\");
    RunToTheEnd();
    ASSERT_EQ(Message(), "") << swap.acted;
    MakeFolder("c:\\mine");
    std::ofstream(HostPath("c:\\mine\\precious.txt")) << "mine";
    std::ofstream(HostPath("c:\\mine\\mpgdec.ax")) << "mine";
    hostWizard.messageBoxes.clear();
    swapAtTheAct = {swap.acted, swap.path, swap.folder, false};
    hostSystem.beforeAct = SwapInTheLink;
    GiveArchive(ProductArchive());
    InstallTo("c:\\Orbivue\\");
    RunToTheEnd();
    hostSystem.beforeAct = nullptr;
    EXPECT_TRUE(swapAtTheAct.done) << swap.acted;
    EXPECT_EQ(Message(), std::string("Create file or directory error !\n\"") + swap.path + "\"")
        << swap.acted;
    EXPECT_EQ(ReadHostFile("c:\\mine\\precious.txt"), "mine") << swap.acted;
    EXPECT_EQ(ReadHostFile("c:\\mine\\mpgdec.ax"), "mine") << swap.acted;
    bool exists = true;
    ReadHostFile("c:\\mine\\loader.bin", &exists);
    EXPECT_FALSE(exists) << swap.acted;
    EXPECT_TRUE(installChoices.aborted) << swap.acted;
  }
}

TEST_F(InstallPaths, ALinkedProgramGroupStopsTheRunBeforeAnyShortcut) {
  MakeFolder("c:\\mine");
  MakeLink("c:\\mine", "c:\\users\\test\\Start Menu\\Programs\\Orbivue");
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  EXPECT_EQ(Message(),
            "Create file or directory error !\n\"c:\\users\\test\\Start Menu\\Programs\\Orbivue\"");
  EXPECT_TRUE(hostSystem.shortcuts.empty());
}

// The destination itself may be a link the user chose: it is followed.
TEST_F(InstallPaths, ADestinationThatIsALinkIsTheUsersChoice) {
  MakeFolder("c:\\real");
  MakeLink("c:\\real", "c:\\Orbivue");
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  EXPECT_EQ(Message(), "");
  EXPECT_EQ(ReadHostFile("c:\\real\\Orbivue.exe"), "viewer program");
}

// Under code page 932 the second byte of a character may be a backslash's
// byte: "c:\<0x95 0x5C>" is a folder of one character, not "c:\" and more.
TEST_F(InstallPaths, TwoByteCharactersAreNeverSplitAtTheirSecondByte) {
  hostSystem.codePage = 932;
  const std::string folder = std::string("c:\\") + "\x95\x5c";
  GiveArchive(ProductArchive());
  InstallTo(folder);
  RunToTheEnd();
  EXPECT_EQ(Message(), "");
  EXPECT_EQ(ReadHostFile(folder + "\\Orbivue.exe"), "viewer program");
  bool exists = true;
  ReadHostFile("c:\\Orbivue.exe", &exists);
  EXPECT_FALSE(exists);
  EXPECT_EQ(Lines(folder + "\\Uninstall.ini")[2], "1=" + folder + "\\");
}

}  // namespace

namespace {

// Folders two levels deep, listed deepest first as the setup layout lists
// them, and a file whose folders have no entries at all: every missing
// level is recorded, then made, outermost first.
TEST_F(InstallPaths, EveryMissingLevelOfAnEntrysFolderIsRecordedThenMade) {
  ArchiveBuilder b = ProductArchive();
  for (const char* dir : {"Docs\\more", "Docs"}) b.Entry(FolderEntry(dir));
  b.Stored("Docs\\more\\notes.txt", "notes");
  b.Stored("Extra\\deep\\x.txt", "x");
  GiveArchive(b);
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  EXPECT_EQ(Message(), "");
  EXPECT_EQ(ReadHostFile("c:\\Orbivue\\Docs\\more\\notes.txt"), "notes");
  EXPECT_EQ(ReadHostFile("c:\\Orbivue\\Extra\\deep\\x.txt"), "x");
  std::vector<std::string> dirs;
  for (const std::string& line : Lines("c:\\Orbivue\\Uninstall.ini"))
    if (line.find("=c:\\Orbivue\\Docs") != std::string::npos ||
        line.find("=c:\\Orbivue\\Extra") != std::string::npos)
      dirs.push_back(line.substr(line.find('=') + 1));
  const std::vector<std::string> expected = {"c:\\Orbivue\\Docs",
                                             "c:\\Orbivue\\Docs\\more",
                                             "c:\\Orbivue\\Extra",
                                             "c:\\Orbivue\\Extra\\deep",
                                             "c:\\Orbivue\\Docs\\more\\notes.txt",
                                             "c:\\Orbivue\\Extra\\deep\\x.txt"};
  EXPECT_EQ(dirs, expected);
}

// The log costs the same few writes whatever the size of the product: its
// records go in ahead in one version (with room for one more beside it),
// and a run that keeps to its plan writes nothing after. Folders nested in
// any order, and files whose folders have no entries, are planned as they
// are made.
TEST_F(InstallPaths, AProductOfAnySizeWritesItsLogTwice) {
  for (int files : {20, 2000}) {
    SetUp();
    ArchiveBuilder b = ProductArchive();
    for (const char* dir : {"Docs\\a\\b", "Docs", "Docs\\a"}) b.Entry(FolderEntry(dir));
    for (int i = 0; i < files; i++)
      b.Stored((i % 2 ? "Docs\\a\\b\\" : "Data\\set" + std::to_string(i % 7) + "\\") +
                   std::to_string(i) + ".txt",
               "file " + std::to_string(i));
    GiveArchive(b);
    const uint64_t writes = uninstallLogWriteCount, bytes = uninstallLogByteCount;
    InstallTo("c:\\Orbivue\\");
    RunToTheEnd();
    EXPECT_EQ(Message(), "");
    EXPECT_EQ(ReadHostFile("c:\\Orbivue\\Data\\set2\\2.txt"), "file 2");
    const std::string log = ReadHostFile("c:\\Orbivue\\Uninstall.ini");
    EXPECT_EQ(uninstallLogWriteCount - writes, 2u) << files << " files";
    EXPECT_EQ(uninstallLogByteCount - bytes, 2 * log.size()) << files << " files";
    // Every file but the two plug-ins of modules left unticked, and four links.
    EXPECT_NE(log.find("[Files]\r\ncount=" + std::to_string(files + 10 + 4) + "\r\n"),
              std::string::npos);
  }
}

}  // namespace
