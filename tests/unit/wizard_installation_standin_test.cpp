// The installation step as it stands until the installation is built: the
// progress over the embedded archive's entries, Cancel noticed between
// them, and the step advanced as a successful run would.
#include "archive_builder.h"
#include "wizard_fixture.h"

namespace {

using InstallationStep = WizardTest;

void GiveArchive(int entries) {
  ArchiveBuilder builder;
  for (int i = 0; i < entries; i++) builder.Stored("file" + std::to_string(i) + ".txt", "data");
  hostWizard.archive = builder.Bytes();
  hostWizard.hasArchive = true;
}

const HostControl& ExtractionProgress() {
  for (const HostDialog& dialog : hostWizard.dialogs) {
    if (dialog.resourceId == DIALOG_EXTRACT_EN || dialog.resourceId == DIALOG_EXTRACT_RU) {
      for (const HostControl& control : dialog.controls) {
        if (control.id == ID_PROGRESS) return control;
      }
    }
  }
  throw std::runtime_error("no extraction page was shown");
}

void ToExtraction() {
  UserClicks(Target::Frame, ID_NEXT);
  UserClicks(Target::Frame, ID_NEXT);
  UserClicks(Target::Frame, ID_NEXT);
}

TEST_F(InstallationStep, MovesTheBarOncePerEntryAndTwiceMore) {
  GiveArchive(5);
  ToExtraction();
  WaitForFinishPage();
  NotePage();
  Cancel();
  RunWizard();
  const HostControl& bar = ExtractionProgress();
  EXPECT_EQ(bar.rangeMaximum, 7);
  EXPECT_EQ(bar.positions, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(pagesSeen, std::vector<int>{DIALOG_FINISH_EN});
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
}

TEST_F(InstallationStep, WithoutAnArchiveOnlyTheClosingStepsMove) {
  ToExtraction();
  WaitForFinishPage();
  Cancel();
  RunWizard();
  const HostControl& bar = ExtractionProgress();
  EXPECT_EQ(bar.rangeMaximum, 2);
  EXPECT_EQ(bar.positions, (std::vector<int>{1, 2}));
}

TEST_F(InstallationStep, CancelStopsBeforeTheNextEntry) {
  GiveArchive(5);
  ToExtraction();
  UserDoes([] {});  // the pump after the range is set
  UserDoes([] {});  // after entry 1
  Cancel();         // after entry 2
  RunWizard();
  EXPECT_EQ(ExtractionProgress().positions, (std::vector<int>{1, 2}));
  EXPECT_TRUE(installChoices.aborted);
  EXPECT_EQ(hostWizard.messageBoxes.size(), 1u);
}

TEST_F(InstallationStep, AddsTheMissingBackslashToTheDestination) {
  UserClicks(Target::Frame, ID_NEXT);
  UserTypes(ID_DESTINATION, "d:\\tv");
  UserClicks(Target::Frame, ID_NEXT);
  UserClicks(Target::Frame, ID_NEXT);
  WaitForFinishPage();
  Cancel();
  RunWizard();
  EXPECT_STREQ(installChoices.destinationDir, "d:\\tv\\");
}

TEST_F(InstallationStep, AnEmptyDestinationStaysEmpty) {
  UserClicks(Target::Frame, ID_NEXT);
  UserTypes(ID_DESTINATION, "");
  UserClicks(Target::Frame, ID_NEXT);
  UserClicks(Target::Frame, ID_NEXT);
  WaitForFinishPage();
  Cancel();
  RunWizard();
  EXPECT_STREQ(installChoices.destinationDir, "");
  EXPECT_EQ(hostWizard.startedPrograms, std::vector<std::string>{"Orbivue.exe"});
}

}  // namespace
