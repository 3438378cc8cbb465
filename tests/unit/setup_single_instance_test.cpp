// One Setup at a time: a Setup started while another runs hands over to it
// and ends, without a window, a file or a registry value of its own.
#include "install_fixture.h"

namespace {

using SingleSetup = InstallTest;

TEST_F(SingleSetup, ASecondSetupBringsTheRunningOneToTheFrontAndEnds) {
  hostWizard.otherSetupRunning = true;
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\");  // what the user would do, were there a wizard
  EXPECT_EQ(RunWizard(), 0);
  EXPECT_EQ(hostWizard.runningSetupBroughtToFront, 1);
  EXPECT_TRUE(hostWizard.dialogs.empty());
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  EXPECT_EQ(hostSystem.changes, 0);  // no folder, file, log, link or registry value
  bool exists = true;
  ReadHostFile("c:\\Orbivue\\Uninstall.ini", &exists);
  EXPECT_FALSE(exists);
  EXPECT_TRUE(hostWizard.startedPrograms.empty());
}

TEST_F(SingleSetup, TheOnlySetupRunsItsWizardAndBringsNothingToTheFront) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  EXPECT_EQ(hostWizard.runningSetupBroughtToFront, 0);
  EXPECT_FALSE(hostWizard.dialogs.empty());
  EXPECT_EQ(ReadHostFile("c:\\Orbivue\\uninstall.exe"), "uninstaller");
}

}  // namespace
