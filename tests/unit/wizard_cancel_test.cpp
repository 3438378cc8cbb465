// Leaving the wizard: Cancel and the close box at every step, Cancel during
// the installation and its closing message, and the finish page's OK.
#include <fstream>

#include "platform/host/host_system.h"
#include "wizard_fixture.h"

namespace {

using WizardLeaving = WizardTest;

// The archive of these tests has no viewer: one is put where the finish
// page starts it from.
void PutViewer() {
  UserDoes([] { std::ofstream(HostPath("c:\\tv\\Orbivue.exe")) << "viewer"; });
}

// Scripts the way to a step (1 to 4), with a device row that shows every page.
void GoToStep(int step) {
  if (step >= StepOptions) UserClicks(Target::Frame, ID_NEXT);
  if (step >= StepTimeshift) {
    UserPicksRow(ID_DEVICE_LIST, 3);
    UserClicks(Target::Frame, ID_NEXT);
  }
  if (step >= StepModules) UserClicks(Target::Frame, ID_NEXT);
}

TEST_F(WizardLeaving, CancelBeforeTheInstallationEndsSilently) {
  for (int step = StepLanguage; step <= StepModules; step++) {
    SetUp();
    GoToStep(step);
    int stepSeen = 0;
    UserDoes([&] { stepSeen = installChoices.step; });
    Cancel();
    EXPECT_EQ(RunWizard(), 0);
    EXPECT_EQ(stepSeen, step);
    EXPECT_EQ(installChoices.step, StepEnd) << "from step " << step;
    EXPECT_FALSE(installChoices.aborted) << "from step " << step;
    EXPECT_TRUE(hostWizard.messageBoxes.empty()) << "from step " << step;
    EXPECT_TRUE(hostWizard.startedPrograms.empty()) << "from step " << step;
  }
}

TEST_F(WizardLeaving, CloseBoxBeforeTheInstallationEndsSilently) {
  for (int step = StepLanguage; step <= StepModules; step++) {
    SetUp();
    GoToStep(step);
    UserClosesFrame();
    EXPECT_EQ(RunWizard(), 0);
    EXPECT_EQ(installChoices.step, StepEnd) << "from step " << step;
    EXPECT_FALSE(installChoices.aborted) << "from step " << step;
    EXPECT_TRUE(hostWizard.messageBoxes.empty()) << "from step " << step;
  }
}

TEST_F(WizardLeaving, CancelDuringTheInstallationShowsTheClosingMessage) {
  for (bool russian : {false, true}) {
    SetUp();
    if (russian) ChooseRussian();
    GoToStep(StepModules);
    Next();
    Cancel();  // taken by the installation's first pump
    EXPECT_EQ(RunWizard(), 0);
    ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
    const HostMessageBox& box = hostWizard.messageBoxes[0];
    EXPECT_EQ(box.text, russian ? Ansi(u8"Инсталляция прервана пользователем !")
                                : "Installation terminated by user !");
    EXPECT_EQ(box.caption, "Orbivue");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(box.wizardOnScreen);
    EXPECT_TRUE(installChoices.aborted);
    EXPECT_EQ(installChoices.step, StepEnd);
    EXPECT_TRUE(hostWizard.startedPrograms.empty());
  }
}

TEST_F(WizardLeaving, CloseBoxDuringTheInstallationShowsTheClosingMessage) {
  GoToStep(StepModules);
  Next();
  UserClosesFrame();
  RunWizard();
  ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_EQ(hostWizard.messageBoxes[0].text, "Installation terminated by user !");
  EXPECT_TRUE(installChoices.aborted);
}

// The installation is whole by then: the run completes, and the finish page
// says so.
TEST_F(WizardLeaving, CancelAfterTheLastEntryIsTooLateAndTheRunCompletes) {
  // The fixture's archive has no entries: one pump, then the two closing ones.
  GoToStep(StepModules);
  Next();
  UserDoes([] {});  // the pump after the progress range is set
  UserDoes([] {});  // the first closing pump
  Cancel();         // the second
  int stepSeen = 0;
  UserDoes([&] { stepSeen = installChoices.step; });
  Cancel();  // OK on the finish page
  RunWizard();
  EXPECT_EQ(stepSeen, StepFinish);
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  EXPECT_FALSE(installChoices.aborted);
}

TEST_F(WizardLeaving, AnErrorAlreadyReportedGetsNoClosingMessage) {
  GoToStep(StepModules);
  Next();
  UserDoes([] {
    // What the installation leaves when an entry failed and it told the user.
    installChoices.aborted = true;
    installChoices.errorReported = true;
  });
  RunWizard();
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  EXPECT_TRUE(hostWizard.startedPrograms.empty());
}

TEST_F(WizardLeaving, OkWithRunTickedStartsTheInstalledViewer) {
  Next();
  UserTypes(ID_DESTINATION, "c:\\tv\\");
  Next();
  Next();
  WaitForFinishPage();
  PutViewer();
  bool ticked = false;
  UserDoes([&] { ticked = PageControl(ID_RUN_PRODUCT).checked; });
  Cancel();
  EXPECT_EQ(RunWizard(), 0);
  EXPECT_TRUE(ticked);
  EXPECT_TRUE(installChoices.runAfterSetup);
  EXPECT_EQ(hostWizard.startedPrograms, std::vector<std::string>{"c:\\tv\\Orbivue.exe"});
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
}

TEST_F(WizardLeaving, OkWithRunClearedStartsNothing) {
  Next();
  Next();
  Next();
  WaitForFinishPage();
  UserClicks(Target::Page, ID_RUN_PRODUCT);
  Cancel();
  RunWizard();
  EXPECT_FALSE(installChoices.runAfterSetup);
  EXPECT_TRUE(hostWizard.startedPrograms.empty());
}

TEST_F(WizardLeaving, CloseBoxOnTheFinishPageStartsNothing) {
  Next();
  Next();
  Next();
  WaitForFinishPage();
  UserClosesFrame();
  RunWizard();
  EXPECT_FALSE(installChoices.runAfterSetup);
  EXPECT_TRUE(hostWizard.startedPrograms.empty());
}

TEST_F(WizardLeaving, ViewerStartsFromTheDestinationWithItsBackslash) {
  Next();
  UserTypes(ID_DESTINATION, "c:\\tv");
  Next();
  Next();
  WaitForFinishPage();
  PutViewer();
  Cancel();
  RunWizard();
  EXPECT_EQ(hostWizard.startedPrograms, std::vector<std::string>{"c:\\tv\\Orbivue.exe"});
}

}  // namespace
