// The installation apart from the wizard: run with a report of its own (no
// frame, no page, no message pump), it tells every position it reaches,
// asks before each entry whether to stop, and returns how it ended without
// touching the wizard's step or flags.
#include <algorithm>

#include "install/installation.h"
#include "install_fixture.h"
#include "platform/install_platform.h"
#include "wizard/module_table.h"

namespace {

// What the run told the report, and when it is to be asked to stop.
struct Told {
  int positions = -1;
  std::vector<int> moves;
  int stopQuestions = 0;
  int stopAfterMoves = -1;  // -1: never
} told;

const InstallReport Recorder = {
    [](int positions) { told.positions = positions; },
    [](int position) { told.moves.push_back(position); },
    [] {
      told.stopQuestions++;
      return told.stopAfterMoves >= 0 && int(told.moves.size()) >= told.stopAfterMoves;
    },
};

class InstallReportTest : public InstallTest {
 protected:
  void SetUp() override {
    InstallTest::SetUp();
    told = Told{};
    FillModuleTable(English);
    CopyText(installChoices.destinationDir, "c:\\Orbivue\\", sizeof installChoices.destinationDir);
    installChoices.step = StepExtract;
    GiveArchive(ProductArchive());
  }
  static int Entries() { return int(4 + ProductFiles().size()); }
  static bool Exists(const std::string& path) {
    bool exists = false;
    ReadHostFile(path, &exists);
    return exists;
  }
};

TEST_F(InstallReportTest, ACompletedRunTellsEveryPositionInOrderAndLeavesTheWizardAlone) {
  EXPECT_EQ(RunInstallation(Recorder), InstallOutcome::Completed);
  const int positions = Entries() + 2;
  EXPECT_EQ(told.positions, positions);
  std::vector<int> expected;
  for (int p = 1; p <= positions; p++) expected.push_back(p);
  EXPECT_EQ(told.moves, expected);
  // Asked before each entry; a stop after the last would come too late.
  EXPECT_EQ(told.stopQuestions, Entries());
  EXPECT_TRUE(Exists("c:\\Orbivue\\Orbivue.exe"));
  EXPECT_TRUE(Exists("c:\\Orbivue\\Orbivue.ini"));
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  // The step is the wizard's to move, the flags the wizard's to set.
  EXPECT_EQ(installChoices.step, StepExtract);
  EXPECT_FALSE(installChoices.stepDone || installChoices.aborted || installChoices.errorReported);
}

TEST_F(InstallReportTest, AStopRequestEndsTheRunBeforeTheNextEntryAsCancelled) {
  told.stopAfterMoves = 3;
  EXPECT_EQ(RunInstallation(Recorder), InstallOutcome::Cancelled);
  EXPECT_EQ(told.moves, (std::vector<int>{1, 2, 3}));
  // Nothing after the entries: no shortcut, no uninstall entry, no settings.
  EXPECT_TRUE(hostSystem.shortcuts.empty());
  EXPECT_FALSE(Exists("c:\\Orbivue\\Orbivue.ini"));
  // The log lists exactly the folders made: the three entries made are the
  // fixed folders, made before them.
  const std::vector<std::string> lines = Lines("c:\\Orbivue\\Uninstall.ini");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "count=4"), lines.end());
  EXPECT_EQ(std::find(lines.begin(), lines.end(), "[Files]"), lines.end());
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  EXPECT_FALSE(installChoices.aborted || installChoices.errorReported);
}

TEST_F(InstallReportTest, AFailureShowsItsOneMessageAndReturnsFailedWithoutSettingTheWizardsFlags) {
  // A folder where the first file must go.
  CreateFolder("c:\\Orbivue\\");
  CreateFolder("c:\\Orbivue\\Orbivue.exe");
  EXPECT_EQ(RunInstallation(Recorder), InstallOutcome::Failed);
  ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_NE(hostWizard.messageBoxes[0].text.find("\"c:\\Orbivue\\Orbivue.exe\""),
            std::string::npos);
  EXPECT_TRUE(hostSystem.shortcuts.empty());
  EXPECT_FALSE(installChoices.aborted || installChoices.errorReported);
  EXPECT_EQ(installChoices.step, StepExtract);
}

TEST_F(InstallReportTest, ADamagedArchiveFailsBeforeAnyPositionIsTold) {
  hostWizard.archiveCheckGiven = true;
  hostWizard.archiveCheck = 0x12345678u;
  EXPECT_EQ(RunInstallation(Recorder), InstallOutcome::Failed);
  EXPECT_EQ(told.positions, -1);
  EXPECT_TRUE(told.moves.empty());
  EXPECT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_FALSE(Exists("c:\\Orbivue\\Uninstall.ini"));
}

}  // namespace
