// An installation ended at any moment (a crash, the task manager, power)
// leaves an uninstall log that lists every folder and file it made: under
// the destination, the program group and the desktop's shortcut; and the
// uninstaller then takes them all away.
#include "platform/install_platform.h"
#include "uninstall_fixture.h"

namespace {

using KilledInstallation = UninstallTest;

// Every change of the machine that a complete installation makes is a point
// at which it may be killed; at each one, and while each file is written,
// what is on disk is in the log, and the uninstaller, run from the
// destination (put there when the kill came before its entry), removes it.
TEST_F(KilledInstallation, LeavesEveryFolderAndFileItMadeInTheLogForTheUninstaller) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\", 2, true, true);
  RunToTheEnd();
  // A point or more for each folder, file, link, registration and version
  // of the log.
  const int changes = hostSystem.changes;
  ASSERT_GT(changes, 30);
  int removed = 0;
  for (int killAfter = 0; killAfter <= changes; killAfter++) {
    SetUp();
    hostSystem.killAfter = killAfter;
    GiveArchive(ProductArchive());
    InstallTo("c:\\Orbivue\\", 2, true, true);
    RunToTheEnd();
    const char* log = "c:\\Orbivue\\Uninstall.ini";
    std::vector<std::string> dirs = Records(log, "Dirs"), files = Records(log, "Files");
    std::vector<std::string> folders, written;
    Present("c:\\Orbivue", &folders, &written);
    // The log lives in the destination, which is made before the log can be
    // written: killed before its record is complete, the destination alone
    // (if made at all) is left unlisted, empty but for a log without it.
    const bool destinationAlone =
        !Has(dirs, "c:\\orbivue") && folders.size() <= 1 &&
        (written.empty() || written == std::vector<std::string>{"c:\\orbivue\\uninstall.ini"});
    if (destinationAlone) folders.clear();
    Present(TestProgramGroup, &folders, &written);
    bool exists = false;
    ReadHostFile(TestDesktopLink, &exists);
    if (exists) written.push_back(Normal(TestDesktopLink));
    for (const std::string& folder : folders)
      EXPECT_TRUE(Has(dirs, folder)) << folder << " after " << killAfter << " changes";
    for (const std::string& file : written) {
      // The log itself, its next version while it is written, and the
      // viewer's settings, written last, are the installation's own records
      // and not among them.
      if (file == "c:\\orbivue\\uninstall.ini" || file == "c:\\orbivue\\uninstall.ini.new" ||
          file == "c:\\orbivue\\orbivue.ini")
        continue;
      EXPECT_TRUE(Has(files, file)) << file << " after " << killAfter << " changes";
    }
    if (destinationAlone) continue;

    hostSystem.killAfter = -1;
    hostUninstall.programPath = "c:\\Orbivue\\uninstall.exe";
    if (!UninstallTest::Exists(hostUninstall.programPath))
      PutFile(hostUninstall.programPath, "uninstaller");
    EXPECT_EQ(RunUninstall(true), ExitRemoved) << "after " << killAfter << " changes";
    std::vector<std::string> left, leftFiles;
    Present("c:\\Orbivue", &left, &leftFiles);
    Present(TestProgramGroup, &left, &leftFiles);
    ReadHostFile(TestDesktopLink, &exists);
    EXPECT_TRUE(left.empty() && leftFiles.empty() && !exists)
        << left.size() << " folders and " << leftFiles.size() << " files left after " << killAfter
        << " changes";
    removed++;
  }
  EXPECT_GT(removed, changes - 10);
}

}  // namespace
