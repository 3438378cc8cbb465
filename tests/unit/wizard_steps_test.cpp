// The step rules: which page follows which, both ways, for device row 0
// and for the other rows, and the frame's buttons at each step.
#include "wizard_fixture.h"

namespace {

using WizardSteps = WizardTest;

TEST_F(WizardSteps, AnotherRowVisitsEveryPageInOrder) {
  NotePage();
  Next();
  NotePage();
  UserPicksRow(ID_DEVICE_LIST, 1);
  Next();
  NotePage();
  Next();
  NotePage();
  Next();
  NotePage();  // during the installation step, at its first pump
  WaitForFinishPage();
  NotePage();
  Cancel();
  EXPECT_EQ(RunWizard(), 0);
  EXPECT_EQ(pagesSeen, (std::vector<int>{108, 112, 115, 116, 111, 110}));
  EXPECT_EQ(installChoices.step, StepEnd);
  EXPECT_FALSE(installChoices.aborted);
}

TEST_F(WizardSteps, RussianChoosesTheRussianPages) {
  ChooseRussian();
  NotePage();
  Next();
  NotePage();
  UserPicksRow(ID_DEVICE_LIST, 4);
  Next();
  NotePage();
  Next();
  NotePage();
  Next();
  NotePage();
  WaitForFinishPage();
  NotePage();
  Cancel();
  RunWizard();
  EXPECT_EQ(pagesSeen, (std::vector<int>{108, 101, 117, 114, 106, 109}));
}

TEST_F(WizardSteps, RowZeroPassesOverTheTimeshiftPageBothWays) {
  Next();
  Next();  // row 0 is selected
  NotePage();
  Back();
  NotePage();
  Next();
  NotePage();
  Cancel();
  RunWizard();
  EXPECT_EQ(pagesSeen, (std::vector<int>{116, 112, 116}));
  EXPECT_EQ(installChoices.deviceIndex, 0);
}

TEST_F(WizardSteps, OtherRowsReturnFromModulesToTimeshift) {
  Next();
  UserPicksRow(ID_DEVICE_LIST, 10);
  Next();
  Next();
  NotePage();
  Back();
  NotePage();
  Back();
  NotePage();
  Back();
  NotePage();
  Cancel();
  RunWizard();
  EXPECT_EQ(pagesSeen, (std::vector<int>{116, 115, 112, 108}));
  EXPECT_EQ(installChoices.deviceIndex, 10);
}

TEST_F(WizardSteps, FrameButtonsFollowTheStep) {
  struct Buttons {
    bool back, next;
    std::string cancel;
  };
  std::vector<Buttons> seen;
  auto look = [&] {
    UserDoes([&] {
      seen.push_back({FrameControl(ID_BACK).visible, FrameControl(ID_NEXT).visible,
                      FrameControl(ID_CANCEL).text});
    });
  };
  look();
  Next();
  look();
  UserPicksRow(ID_DEVICE_LIST, 2);
  Next();
  look();
  Next();
  look();
  Next();
  look();
  WaitForFinishPage();
  look();
  Cancel();
  RunWizard();
  ASSERT_EQ(seen.size(), 6u);
  const bool backShown[] = {false, true, true, true, false, false};
  const bool nextShown[] = {true, true, true, true, false, false};
  for (size_t i = 0; i < seen.size(); i++) {
    EXPECT_EQ(seen[i].back, backShown[i]) << "look " << i;
    EXPECT_EQ(seen[i].next, nextShown[i]) << "look " << i;
    EXPECT_EQ(seen[i].cancel, i == 5 ? "OK" : "Cancel") << "look " << i;
  }
}

TEST_F(WizardSteps, FinishPageReadsOkInRussianToo) {
  std::string cancelText;
  ChooseRussian();
  Next();
  Next();
  Next();
  WaitForFinishPage();
  UserDoes([&] { cancelText = FrameControl(ID_CANCEL).text; });
  Cancel();
  RunWizard();
  EXPECT_EQ(cancelText, "OK");
}

TEST_F(WizardSteps, TheFinishPageAloneBeeps) {
  Next();
  Next();
  Next();
  WaitForFinishPage();
  Cancel();
  RunWizard();
  EXPECT_EQ(hostWizard.beepSteps, std::vector<int>{StepFinish});
}

TEST_F(WizardSteps, FrameCarriesItsCaptionAndIcon) {
  Cancel();
  RunWizard();
  const HostDialog& frame = hostWizard.dialogs.front();
  EXPECT_TRUE(frame.isFrame);
  EXPECT_EQ(frame.resourceId, DIALOG_FRAME);
  EXPECT_EQ(frame.caption, "Installation Orbivue ");
  EXPECT_EQ(frame.smallIcon, ICON_PRODUCT);
}

TEST_F(WizardSteps, EachPageIsReplacedAndAllWindowsAreGoneAtTheEnd) {
  Next();
  Back();
  Cancel();
  RunWizard();
  ASSERT_EQ(hostWizard.dialogs.size(), 4u);  // frame, language, options, language
  for (const HostDialog& dialog : hostWizard.dialogs) EXPECT_TRUE(dialog.destroyed);
  EXPECT_EQ(frameWindow, nullptr);
  EXPECT_EQ(pageWindow, nullptr);
}

TEST_F(WizardSteps, HiddenNextAndBackChangeNothingDuringExtractionAndFinish) {
  for (int step : {StepExtract, StepFinish}) {
    installChoices.step = step;
    installChoices.stepDone = false;
    EXPECT_TRUE(OnFrameCommand(ID_NEXT));
    EXPECT_TRUE(OnFrameCommand(ID_BACK));
    EXPECT_EQ(installChoices.step, step);
    EXPECT_FALSE(installChoices.stepDone);
  }
}

TEST_F(WizardSteps, OtherFrameCommandsAreLeftToThePlatform) {
  installChoices.step = StepOptions;
  EXPECT_FALSE(OnFrameCommand(1));
  EXPECT_FALSE(OnFrameCommand(1234));
  EXPECT_EQ(installChoices.step, StepOptions);
  EXPECT_FALSE(installChoices.stepDone);
}

}  // namespace
