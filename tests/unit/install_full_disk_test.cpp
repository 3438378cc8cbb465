// A disk that fills up during the installation: the file cut short is the
// write error, the run stops there and never reaches its finish page, and
// the uninstall log stays whole and lists what was made.
#include <algorithm>

#include "install_fixture.h"
#include "wizard/setup_wizard.h"

namespace {

class FullDisk : public InstallTest {
 protected:
  // The bytes a complete installation puts on the disk, measured in a run
  // of its own; the test then starts afresh.
  long long BytesOfACompleteInstallation() {
    constexpr long long Plenty = 1LL << 40;
    hostSystem.diskFreeBytes = Plenty;
    GiveArchive(ProductArchive());
    InstallTo("c:\\Orbivue\\");
    RunToTheEnd();
    EXPECT_TRUE(hostWizard.messageBoxes.empty());
    const long long used = Plenty - hostSystem.diskFreeBytes;
    TearDown();
    SetUp();
    return used;
  }

  // Installs with a disk that holds that many bytes.
  void InstallOnADiskOf(long long bytes) {
    hostSystem.diskFreeBytes = bytes;
    GiveArchive(ProductArchive());
    InstallTo("c:\\Orbivue\\");
    RunToTheEnd();
  }

  static bool FinishPageShown() {
    for (const HostDialog& dialog : hostWizard.dialogs)
      if (dialog.resourceId == DIALOG_FINISH_EN || dialog.resourceId == DIALOG_FINISH_RU)
        return true;
    return false;
  }
  static void ExpectStoppedWithWriteErrorFor(const std::string& path) {
    ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
    EXPECT_EQ(hostWizard.messageBoxes[0].text,
              "Create file or directory error !\n\"" + path + "\"");
    EXPECT_TRUE(installChoices.aborted);
    EXPECT_FALSE(FinishPageShown());
    EXPECT_TRUE(hostWizard.startedPrograms.empty());
  }
  static bool Exists(const std::string& path) {
    bool exists = false;
    ReadHostFile(path, &exists);
    return exists;
  }
};

// loader.bin (3000 bytes) is the one large file; what comes after it (one
// empty file, the last records, the links and Orbivue.ini) is far less than
// the 2000 bytes the disk lacks, so the disk fills up inside loader.bin.
TEST_F(FullDisk, AFileCutShortIsTheWriteErrorOfThatFileAndTheRunStopsThere) {
  InstallOnADiskOf(BytesOfACompleteInstallation() - 2000);
  ExpectStoppedWithWriteErrorFor("c:\\Orbivue\\Modules\\boot\\24\\loader.bin");
  // Nothing half-written stays under the file's name.
  EXPECT_FALSE(Exists("c:\\Orbivue\\Modules\\boot\\24\\loader.bin"));
  // What came before is whole, what comes after was never begun.
  EXPECT_EQ(ReadHostFile("c:\\Orbivue\\uninstall.exe"), "uninstaller");
  EXPECT_EQ(ReadHostFile("c:\\Orbivue\\Modules\\SatCardB.Device"), "card b");
  EXPECT_FALSE(Exists("c:\\Orbivue\\Modules\\boot\\empty.bin"));
  EXPECT_FALSE(Exists("c:\\Orbivue\\Orbivue.ini"));
  EXPECT_TRUE(hostSystem.shortcuts.empty());
  EXPECT_EQ(
      hostSystem.registry.count("SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\ORBIVUE"),
      0u);
  // The log lists the cut file last, as a run killed while writing it would
  // leave it: its exact version went over the room held beside it, on a
  // disk with none.
  const std::vector<std::string> log = Lines("c:\\Orbivue\\Uninstall.ini");
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "9=c:\\Orbivue\\Modules\\boot\\24\\loader.bin");
  EXPECT_FALSE(Exists("c:\\Orbivue\\Uninstall.ini.new"));
}

// Orbivue.ini is the last thing written: a disk with 60 bytes left at that
// moment takes its first key or two and not the rest, which stops the run
// like any other file cut short.
TEST_F(FullDisk, AnOrbivueIniCutShortIsItsWriteErrorAndTheRunIsNotComplete) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\");
  UserWaitsUntil([] {  // the last tick of the bar, just before the settings
    const HostControl& bar = ControlOf(pageWindow, ID_PROGRESS);
    if (bar.position < bar.rangeMaximum) return false;
    hostSystem.diskFreeBytes = 60;
    return true;
  });
  RunToTheEnd();
  ExpectStoppedWithWriteErrorFor("c:\\Orbivue\\Orbivue.ini");
  EXPECT_NE(installChoices.step, StepFinish);
  EXPECT_EQ(Lines("c:\\Orbivue\\Orbivue.ini").front(), "[Options]");
  // Everything else stands, the uninstaller and its whole log among it.
  EXPECT_EQ(ReadHostFile("c:\\Orbivue\\Modules\\boot\\24\\loader.bin"), std::string(3000, 'L'));
  EXPECT_EQ(ReadHostFile("c:\\Orbivue\\uninstall.exe"), "uninstaller");
  EXPECT_EQ(Lines("c:\\Orbivue\\Uninstall.ini").back(),
            "14=c:\\users\\test\\Start Menu\\Programs\\Orbivue\\GraphEdit.lnk");
}

// A folder in the way of the log's next version stops nothing when the run
// keeps to its plan: the log is written once, where it belongs, and only the
// room beside it is lost.
TEST_F(FullDisk, AFolderInTheWayOfTheNextVersionDoesNotStopARunThatNeedsNone) {
  mkdir((SandboxPath() + "/c/Orbivue").c_str(), 0777);
  mkdir((SandboxPath() + "/c/Orbivue/Uninstall.ini.new").c_str(), 0777);
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  EXPECT_TRUE(FinishPageShown());
  EXPECT_EQ(Lines("c:\\Orbivue\\Uninstall.ini").back(),
            "14=c:\\users\\test\\Start Menu\\Programs\\Orbivue\\GraphEdit.lnk");
}

// When the run ends short of its plan and the exact log can't be put in
// place, the log keeps the version written ahead: it lists more than was
// made (which the uninstaller passes over), never less.
TEST_F(FullDisk, ALogThatCannotBeSettledStillListsEverythingMade) {
  mkdir((SandboxPath() + "/c/Orbivue").c_str(), 0777);
  mkdir((SandboxPath() + "/c/Orbivue/Uninstall.ini.new").c_str(), 0777);
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\");
  // Cancel while the fifth entry (Orbivue.exe) is made: seen after it.
  UserWaitsUntil([] { return ControlOf(pageWindow, ID_PROGRESS).position >= 4; });
  Cancel();
  RunWizard();
  const std::vector<std::string> log = Lines("c:\\Orbivue\\Uninstall.ini");
  EXPECT_NE(std::find(log.begin(), log.end(), "3=c:\\Orbivue\\graphedt.exe"), log.end());
  EXPECT_FALSE(Exists("c:\\Orbivue\\graphedt.exe"));
  EXPECT_TRUE(Exists("c:\\Orbivue\\Orbivue.exe"));
  EXPECT_NE(std::find(log.begin(), log.end(), "1=c:\\Orbivue\\Orbivue.exe"), log.end());
}

}  // namespace
