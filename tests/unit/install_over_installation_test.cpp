// Setup run again over an installation, and a second installation beside
// the first: no record of either run is ever lost, however the second run
// ends, and each installation's uninstaller removes its own and nothing of
// the other's.
#include "uninstall_fixture.h"

namespace {

using OverAnInstallation = UninstallTest;

const char Log[] = "c:\\Orbivue\\Uninstall.ini";

// Setup's own files, which the log does not list.
bool SetupsOwnFile(const std::string& file) {
  return file == "c:\\orbivue\\uninstall.ini" || file == "c:\\orbivue\\uninstall.ini.new" ||
         file == "c:\\orbivue\\orbivue.ini";
}

// Installed with both filter sets and every module ticked, then installed
// again with no filters and the first module unticked, killed after each
// number of changes in turn (and once not at all): the log lists what either
// run left on disk, and the uninstaller removes all of it, unregisters the
// filters the first run registered, and keeps the user's own file.
TEST_F(OverAnInstallation, AReinstallStoppedAnywhereLeavesEverythingOfBothRunsToTheUninstaller) {
  auto installTwice = [this](int killAfter) {
    SetUp();
    GiveArchive(ProductArchive());
    InstallTo("c:\\Orbivue\\", 2, true, true);
    RunToTheEnd();
    PutFile("c:\\Orbivue\\mine.txt", "the user's");
    WizardTest::SetUp();
    hostSystem.changes = 0;
    hostSystem.killAfter = killAfter;
    GiveArchive(ProductArchive());
    InstallTo("c:\\Orbivue\\", 2, false, false, 0);
    RunToTheEnd();
    hostSystem.killAfter = -1;
  };
  installTwice(-1);
  ASSERT_TRUE(hostWizard.messageBoxes.empty());
  const int changes = hostSystem.changes;
  ASSERT_GT(changes, 25);
  EXPECT_EQ(ReadHostFile("c:\\Orbivue\\Modules\\Agenda.Module"), "agenda");  // the first run's
  EXPECT_EQ(Records(Log, "Filters").size(), 3u);

  for (int killAfter = 0; killAfter <= changes; killAfter++) {
    installTwice(killAfter == changes ? -1 : killAfter);
    const std::vector<std::string> dirs = Records(Log, "Dirs"), files = Records(Log, "Files");
    std::vector<std::string> folders, written;
    Present("c:\\Orbivue", &folders, &written);
    Present(TestProgramGroup, &folders, &written);
    for (const std::string& folder : folders)
      EXPECT_TRUE(Has(dirs, folder)) << folder << " after " << killAfter << " changes";
    for (const std::string& file : written) {
      if (SetupsOwnFile(file) || file == "c:\\orbivue\\mine.txt") continue;
      EXPECT_TRUE(Has(files, file)) << file << " after " << killAfter << " changes";
    }
    EXPECT_TRUE(Has(files, Normal(TestDesktopLink))) << "after " << killAfter << " changes";

    hostUninstall = HostUninstall{};
    hostUninstall.programPath = "c:\\Orbivue\\uninstall.exe";
    EXPECT_EQ(RunUninstall(true), ExitRemoved) << "after " << killAfter << " changes";
    for (const char* filter : {"mpgdec.ax", "mlcom.ax", "thsource.ax"})
      EXPECT_GE(JournalAt(std::string("unregister c:\\Orbivue\\Filters\\") + filter), 0)
          << filter << " after " << killAfter << " changes";
    std::vector<std::string> left, leftFiles;
    Present("c:\\Orbivue", &left, &leftFiles);
    Present(TestProgramGroup, &left, &leftFiles);
    EXPECT_EQ(left, std::vector<std::string>{"c:\\orbivue"}) << "after " << killAfter << " changes";
    EXPECT_EQ(leftFiles, std::vector<std::string>{"c:\\orbivue\\mine.txt"})
        << "after " << killAfter << " changes";
    EXPECT_FALSE(Exists(TestDesktopLink)) << "after " << killAfter << " changes";
    EXPECT_FALSE(EntryListed()) << "after " << killAfter << " changes";
  }
}

// A record an earlier log lists is carried only when it names something
// this Setup makes and is still there: a planted log cannot hand the
// uninstaller a file of the user's.
TEST_F(OverAnInstallation, OnlyTheProductsRecordsOfAnEarlierLogAreCarried) {
  CreateFolder("c:\\Orbivue");
  CreateFolder("c:\\Orbivue\\Letters");
  CreateFolder("c:\\Orbivue\\Modules");
  PutFile("c:\\Orbivue\\letter.doc", "the user's");
  PutFile("c:\\Orbivue\\Modules.txt", "the user's");
  PutFile(Log,
          "[Dirs]\r\ncount=3\r\n1=c:\\Orbivue\\Letters\r\n2=c:\\Orbivue\\Modules\\Gone\r\n"
          "3=c:\\Orbivue\\Modules\r\n"
          "[Files]\r\ncount=4\r\n1=c:\\Orbivue\\letter.doc\r\n2=c:\\Orbivue\\Modules.txt\r\n"
          "3=c:\\Windows\\win.ini\r\n4=c:\\Orbivue\\Modules\\IrBridge.Module\r\n"
          "[Filters]\r\ncount=1\r\n1=c:\\Orbivue\\letter.doc\r\n");
  PutFile("c:\\Orbivue\\Modules\\IrBridge.Module", "an earlier run's");  // not ticked this time
  Install();
  const std::vector<std::string> files = Records(Log, "Files");
  EXPECT_TRUE(Has(files, "c:\\orbivue\\modules\\irbridge.module"));
  for (const char* foreign :
       {"c:\\orbivue\\letter.doc", "c:\\orbivue\\modules.txt", "c:\\windows\\win.ini"})
    EXPECT_FALSE(Has(files, foreign)) << foreign;
  EXPECT_FALSE(Has(Records(Log, "Dirs"), "c:\\orbivue\\letters"));
  EXPECT_TRUE(Records(Log, "Filters").empty());

  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  EXPECT_EQ(ReadHostFile("c:\\Orbivue\\letter.doc"), "the user's");
  EXPECT_TRUE(Exists("c:\\Orbivue\\Letters"));
  EXPECT_FALSE(Exists("c:\\Orbivue\\Modules\\IrBridge.Module"));
  EXPECT_FALSE(Exists("c:\\Orbivue\\Modules"));  // carried, and empty at the end
}

using TwoCopies = UninstallTest;

// Each copy registers the filters' classes under its own file, as regsvr32
// does; the later one's registration stands.
void Register(const std::string& folder) {
  const char* const filters[][2] = {
      {"{A1}", "mpgdec.ax"}, {"{A2}", "mlcom.ax"}, {"{A3}", "thsource.ax"}};
  for (const auto& filter : filters)
    hostSystem
        .registry[std::string("SOFTWARE\\CLASSES\\CLSID\\") + filter[0] + "\\INPROCSERVER32"][""] =
        folder + "Filters\\" + filter[1];
}

// Copy A in c:\Orbivue\, then copy B in c:\Other\, both with filters: B's
// shortcuts, registrations and uninstall entry replace A's. Removed in
// either order, each uninstaller takes only its own, and after both the
// machine is as it was before.
TEST_F(TwoCopies, EachUninstallerRemovesItsOwnCopyInEitherOrder) {
  const auto before = MachineOutsideTemp();
  for (bool aFirst : {true, false}) {
    SetUp();
    Install("c:\\Orbivue\\", true, true);
    Register("c:\\Orbivue\\");
    WizardTest::SetUp();
    Install("c:\\Other\\", true, true);
    Register("c:\\Other\\");
    // The quiet command, quoted, names the same uninstaller.
    hostSystem.registry["SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\ORBIVUE"]
                       ["UninstallString"] = "\"c:\\Other\\Uninstall.exe\" /S";
    const std::string shortcutB = ReadHostFile(TestDesktopLink);
    ASSERT_NE(shortcutB.find("c:\\Other\\"), std::string::npos) << shortcutB;

    const std::vector<std::string> order = {aFirst ? "c:\\Orbivue\\" : "c:\\Other\\",
                                            aFirst ? "c:\\Other\\" : "c:\\Orbivue\\"};
    for (const std::string& folder : order) {
      const bool a = folder == "c:\\Orbivue\\";
      hostUninstall = HostUninstall{};
      hostUninstall.programPath = folder + "uninstall.exe";
      EXPECT_EQ(RunUninstall(true), ExitRemoved) << folder;
      EXPECT_FALSE(Exists(folder)) << folder;
      // Only B's own filters are unregistered, by B's uninstaller.
      for (const char* filter : {"mpgdec.ax", "mlcom.ax", "thsource.ax"})
        EXPECT_EQ(JournalAt(std::string("unregister ") + folder + "Filters\\" + filter) >= 0, !a)
            << folder << filter;
      if (folder != order[0]) continue;
      if (a) {
        // B's shortcuts and entry stay, and B's filters stay registered.
        EXPECT_EQ(ReadHostFile(TestDesktopLink), shortcutB);
        EXPECT_TRUE(Exists(std::string(TestProgramGroup) + "\\Orbivue.lnk"));
        EXPECT_TRUE(Exists("c:\\Other\\Orbivue.exe"));
        EXPECT_TRUE(EntryListed());
      } else {
        EXPECT_EQ(ReadHostFile("c:\\Orbivue\\Orbivue.exe"), "viewer program");
      }
    }
    EXPECT_EQ(MachineOutsideTemp(), before) << (aFirst ? "A first" : "B first");
    EXPECT_FALSE(EntryListed());
    hostSystem.registry.erase("SOFTWARE\\CLASSES\\CLSID\\{A1}\\INPROCSERVER32");
    hostSystem.registry.erase("SOFTWARE\\CLASSES\\CLSID\\{A2}\\INPROCSERVER32");
    hostSystem.registry.erase("SOFTWARE\\CLASSES\\CLSID\\{A3}\\INPROCSERVER32");
  }
}

}  // namespace
