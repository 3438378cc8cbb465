// The uninstaller and the file system as it is: links below every product
// place are left as they are with their targets, other spellings of its
// own folder still find the product, and names Windows takes as devices,
// or filters Setup never registers, are refused.
#include <unistd.h>

#include "uninstall_fixture.h"

namespace {

const char Group[] = "c:\\users\\test\\Start Menu\\Programs\\Orbivue";

class UninstallPaths : public UninstallTest {
 protected:
  static void MakeLink(const std::string& target, const std::string& windowsPath) {
    ASSERT_EQ(symlink(HostPath(target).c_str(), HostPath(windowsPath).c_str()), 0) << windowsPath;
  }

  // Replaces what the installation made at path by a link to a user's
  // folder (or file) holding things of the same names.
  static void ReplaceByLink(const std::string& path, bool folder) {
    const std::string real = HostPath(path);
    ASSERT_EQ(std::system(("rm -rf '" + real + "'").c_str()), 0);
    ReplaceByLinkNow(path, folder);
  }

 public:
  static void ReplaceByLinkNow(const std::string& path, bool folder) {
    std::system(("rm -rf '" + HostPath(path) + "'").c_str());
    if (folder) {
      CreateFolder("c:\\mine");
      for (const char* name : {"Agenda.Module", "SatCardB.Device", "mpgdec.ax", "Orbivue.lnk",
                               "Uninstall.lnk", "GraphEdit.lnk"})
        UninstallTest::PutFile(std::string("c:\\mine\\") + name, "mine");
      CreateFolder("c:\\mine\\boot");
      MakeLink("c:\\mine", path);
    } else {
      UninstallTest::PutFile("c:\\precious.txt", "mine");
      MakeLink("c:\\precious.txt", path);
    }
  }

 protected:
  // What the user keeps outside the product, with its contents.
  static std::map<std::string, std::string> Mine() {
    std::map<std::string, std::string> mine;
    for (const auto& [path, contents] : UninstallTest::Machine())
      if (path.rfind("/c/mine", 0) == 0 || path == "/c/precious.txt") mine[path] = contents;
    return mine;
  }
};

// The link of a test that another process swaps in between the
// uninstaller's look and its act on what lies at or below it.
struct SwapAtTheAct {
  std::string path;
  bool folder = false, done = false;
} swapAtTheAct;

void SwapInTheLink(const char* acted) {
  const std::string& p = swapAtTheAct.path;
  const std::string a = acted;
  if (swapAtTheAct.done || a.compare(0, p.size(), p) != 0 ||
      (a.size() > p.size() && a[p.size()] != '\\'))
    return;
  swapAtTheAct.done = true;
  UninstallPaths::ReplaceByLinkNow(p, swapAtTheAct.folder);
}

// Planted before the run, or swapped in at the moment of the act.
TEST_F(UninstallPaths, ALinkBelowAProductPlaceIsLeftWithItsTargetAndTheLogStays) {
  const struct {
    const char* path;
    bool folder;
  } links[] = {{"c:\\Orbivue\\Modules", true},
               {"c:\\Orbivue\\Filters", true},
               {"c:\\Orbivue\\Orbivue.exe", false},
               {"c:\\Orbivue\\Orbivue.ini", false},
               {"c:\\Orbivue\\Uninstall.ini.new", false},
               {Group, true},
               {"c:\\users\\test\\Desktop\\Orbivue.lnk", false}};
  for (const bool atTheAct : {false, true})
    for (const auto& link : links) {
      // The next version of the log is acted on only where it is left over.
      if (atTheAct && std::string(link.path).find(".new") != std::string::npos) continue;
      SetUp();
      Install("c:\\Orbivue\\", true, true);
      ReplaceByLink(link.path, link.folder);
      const auto mine = Mine();
      ASSERT_FALSE(mine.empty());
      if (atTheAct) {
        // Put back as the installation left it; the link comes at the act.
        ASSERT_EQ(std::system(("rm -rf '" + HostPath(link.path) + "'").c_str()), 0);
        Install("c:\\Orbivue\\", true, true);
        swapAtTheAct = {link.path, link.folder, false};
        hostSystem.beforeAct = SwapInTheLink;
      }
      EXPECT_EQ(RunUninstall(false), ExitLeftOver) << link.path;
      EXPECT_EQ(swapAtTheAct.done, atTheAct) << link.path;
      hostSystem.beforeAct = nullptr;
      swapAtTheAct = {};
      EXPECT_EQ(Mine(), mine) << link.path;
      EXPECT_EQ(QueryPath(link.path), PathKind::Link) << link.path;
      for (const std::string& command : hostUninstall.commands)
        EXPECT_NE(command.find("c:\\Orbivue\\Filters\\"), std::string::npos) << command;
      // What removes the product stays, with its settings and its entry.
      EXPECT_TRUE(Exists("c:\\Orbivue\\uninstall.exe")) << link.path;
      EXPECT_TRUE(Exists("c:\\Orbivue\\Uninstall.ini")) << link.path;
      EXPECT_TRUE(Exists("c:\\Orbivue\\Orbivue.ini")) << link.path;
      EXPECT_TRUE(EntryListed()) << link.path;
      ASSERT_EQ(hostUninstall.messages.size(), 1u);
      const std::string& m = hostUninstall.messages[0];
      EXPECT_EQ(m.rfind("Orbivue could not be removed completely.\n", 0), 0u) << m;
      EXPECT_NE(m.find("These paths are links, and nothing was done through them; they stay as "
                       "they are, and the uninstall log keeps what lies behind them:\n    " +
                       std::string(link.path) + "\n"),
                std::string::npos)
          << m;
    }
}

TEST_F(UninstallPaths, ASecondRunAfterTheLinkIsGoneFinishesTheJob) {
  Install();
  ReplaceByLink("c:\\Orbivue\\Modules", true);
  EXPECT_EQ(RunUninstall(true), ExitLeftOver);
  // The log still lists what lay in the folder the link replaced.
  bool listsModules = false;
  for (const std::string& line : Lines("c:\\Orbivue\\Uninstall.ini"))
    listsModules = listsModules || line.find("Modules\\Agenda.Module") != std::string::npos;
  EXPECT_TRUE(listsModules);
  ASSERT_EQ(unlink(HostPath("c:\\Orbivue\\Modules").c_str()), 0);
  hostUninstall.journal.clear();
  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  EXPECT_FALSE(Exists("c:\\Orbivue"));
  EXPECT_FALSE(EntryListed());
  EXPECT_EQ(ReadHostFile("c:\\mine\\Agenda.Module"), "mine");
}

// A [Filters] record is only ever one of the three filter files: a system
// DLL named through the product's folder is never unregistered.
TEST_F(UninstallPaths, OnlyTheThreeFilterFilesAreEverUnregistered) {
  Install();
  const std::string log = "c:\\Orbivue\\Uninstall.ini";
  WriteProfileValue("Filters", "1", "c:\\Orbivue\\Filters\\quartz.dll", log.c_str());
  WriteProfileValue("Filters", "2", "c:\\Orbivue\\Orbivue.exe", log.c_str());
  WriteProfileValue("Filters", "3", "c:\\Orbivue\\Filters\\mlcom.ax", log.c_str());
  PutFile("c:\\Orbivue\\Filters\\quartz.dll", "system");
  EXPECT_EQ(RunUninstall(true), ExitRefused);
  ASSERT_EQ(hostUninstall.commands.size(), 1u);
  EXPECT_NE(hostUninstall.commands[0].find("\"c:\\Orbivue\\Filters\\mlcom.ax\""),
            std::string::npos);
}

// Started through another spelling of its folder, the uninstaller takes the
// log's records as its own folder's: another drive mapping of the same
// folder, and a drive letter that changed since the installation.
TEST_F(UninstallPaths, AnotherSpellingOfTheOwnFolderStillRemovesTheProduct) {
  for (bool moved : {false, true}) {
    SetUp();
    Install();
    const std::string sandbox = hostSystem.sandbox;
    if (moved) {
      ASSERT_EQ(mkdir((sandbox + "/e").c_str(), 0777), 0);
      ASSERT_EQ(std::rename((sandbox + "/c/Orbivue").c_str(), (sandbox + "/e/Orbivue").c_str()), 0);
      hostUninstall.programPath = "e:\\Orbivue\\uninstall.exe";
    } else {
      ASSERT_EQ(symlink((sandbox + "/c").c_str(), (sandbox + "/d").c_str()), 0);
      hostUninstall.programPath = "d:\\Orbivue\\uninstall.exe";
    }
    EXPECT_EQ(RunUninstall(false), ExitRemoved) << moved;
    EXPECT_FALSE(Exists(moved ? "e:\\Orbivue" : "c:\\Orbivue")) << moved;
    EXPECT_FALSE(Exists(Group)) << moved;
    EXPECT_FALSE(EntryListed()) << moved;
    ASSERT_EQ(hostUninstall.messages.size(), 1u);
    EXPECT_EQ(hostUninstall.messages[0].rfind("Orbivue has been removed from your computer.\n", 0),
              0u)
        << hostUninstall.messages[0];
  }
}

// A log none of whose records lies in the uninstaller's places is not this
// installation's: nothing is removed, the uninstaller and its log least of all.
TEST_F(UninstallPaths, ALogWithNoRecordOfThisFolderRemovesNothing) {
  Install();
  const std::string log = ReadHostFile("c:\\Orbivue\\Uninstall.ini");
  std::string foreign = log;
  for (size_t at; (at = foreign.find("c:\\Orbivue\\")) != std::string::npos;)
    foreign.replace(at, 11, "c:\\Other\\");
  // Without the uninstaller's own record the log says nothing of where it
  // was made, so nothing is taken as this folder's.
  for (size_t at; (at = foreign.find("uninstall.exe")) != std::string::npos;)
    foreign.replace(at, 13, "notes.txt");
  for (size_t at; (at = foreign.find("Start Menu")) != std::string::npos;)
    foreign.replace(at, 10, "Other Menu");
  for (size_t at; (at = foreign.find("Desktop")) != std::string::npos;)
    foreign.replace(at, 7, "Elsewhere");
  PutFile("c:\\Orbivue\\Uninstall.ini", foreign);
  const auto before = MachineOutsideTemp();
  EXPECT_EQ(RunUninstall(false), ExitNotRemoved);
  EXPECT_EQ(MachineOutsideTemp(), before);
  EXPECT_TRUE(EntryListed());
  ASSERT_EQ(hostUninstall.messages.size(), 1u);
  EXPECT_EQ(hostUninstall.messages[0].rfind(
                "Orbivue cannot be removed: no record of its uninstall log lies in this folder or "
                "in Orbivue's other folders.\nNothing was removed.\n",
                0),
            0u)
      << hostUninstall.messages[0];
}

// Names Windows takes as devices are refused, so they never pin the run at
// "left over"; the 8.3 spelling of a product file is its long one.
TEST_F(UninstallPaths, DeviceNamesAreRefusedAndTheRestGoes) {
  Install();
  const std::string log = "c:\\Orbivue\\Uninstall.ini";
  int n = 100;
  for (const char* device : {"c:\\Orbivue\\CONIN$", "c:\\Orbivue\\conout$.txt",
                             "c:\\Orbivue\\nul .log", "c:\\Orbivue\\Modules\\COM3.Module"})
    WriteProfileValue("Files", std::to_string(n++).c_str(), device, log.c_str());
  EXPECT_EQ(RunUninstall(true), ExitRefused);
  EXPECT_FALSE(Exists("c:\\Orbivue"));
  EXPECT_FALSE(EntryListed());
}

// Folders Setup made above the destination because they were missing go
// with it when empty; one listed after the destination is not Setup's.
TEST_F(UninstallPaths, FoldersMadeAboveTheDestinationGoWhenEmpty) {
  Install("c:\\New\\Inner\\Orbivue\\");
  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  EXPECT_FALSE(Exists("c:\\New"));

  SetUp();
  CreateFolder("c:\\Tools");
  Install("c:\\Tools\\Orbivue\\");
  WriteProfileValue("Dirs", "100", "c:\\Tools\\", "c:\\Tools\\Orbivue\\Uninstall.ini");
  EXPECT_EQ(RunUninstall(true), ExitRefused);
  EXPECT_TRUE(Exists("c:\\Tools"));
}

}  // namespace
