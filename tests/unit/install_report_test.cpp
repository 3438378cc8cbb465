// The installation apart from the wizard: run with a report of its own (no
// frame, no page, no message pump), it tells every position it reaches,
// asks before each entry whether to stop, and returns how it ended without
// touching the wizard's step or flags.
#include <algorithm>

#include "answers/module_table.h"
#include "install/install_failure.h"
#include "install/installation.h"
#include "install_fixture.h"
#include "platform/install_platform.h"

namespace {

// What the run told the report, and when it is to be asked to stop.
struct Told {
  int positions = -1;
  std::vector<int> moves;
  int stopQuestions = 0;
  int stopAfterMoves = -1;  // -1: never
  std::vector<std::string> steps;
} told;

const InstallReport Recorder = {
    [](int positions) { told.positions = positions; },
    [](int position) { told.moves.push_back(position); },
    [] {
      told.stopQuestions++;
      return told.stopAfterMoves >= 0 && int(told.moves.size()) >= told.stopAfterMoves;
    },
    [](const char* line) { told.steps.push_back(line); },
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
  // Every step it did, once, in its order: the destination and the fixed
  // folders first, each file, the shortcuts, the entry, the settings last.
  auto at = [](const std::string& line) {
    const auto found = std::find(told.steps.begin(), told.steps.end(), line);
    return found == told.steps.end() ? -1 : int(found - told.steps.begin());
  };
  EXPECT_EQ(at("folder c:\\Orbivue\\"), 0);
  EXPECT_EQ(at("folder c:\\Orbivue\\Modules"), 1);
  EXPECT_GT(at("file c:\\Orbivue\\Orbivue.exe"), 1);
  EXPECT_GT(at("shortcut c:\\users\\test\\Desktop\\Orbivue.lnk"),
            at("file c:\\Orbivue\\Orbivue.exe"));
  EXPECT_GT(at("uninstall entry c:\\Orbivue\\Uninstall.exe"),
            at("shortcut c:\\users\\test\\Desktop\\Orbivue.lnk"));
  EXPECT_EQ(at("settings c:\\Orbivue\\Orbivue.ini"), int(told.steps.size()) - 1);
  EXPECT_EQ(std::count_if(told.steps.begin(), told.steps.end(),
                          [](const std::string& s) { return s.rfind("file ", 0) == 0; }),
            long(ProductFiles().size()) - 2);  // the two unticked modules left out
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

// The run shows nothing itself: its one failure goes back to whoever ran it.
TEST_F(InstallReportTest, AFailureIsNotedOnceAndReturnedWithoutAWordOrTheWizardsFlags) {
  // A folder where the first file must go.
  CreateFolder("c:\\Orbivue\\");
  CreateFolder("c:\\Orbivue\\Orbivue.exe");
  EXPECT_EQ(RunInstallation(Recorder), InstallOutcome::Failed);
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  EXPECT_EQ(RunFailure().kind, FailureKind::Write);
  EXPECT_STREQ(RunFailure().path, "c:\\Orbivue\\Orbivue.exe");
  char text[600];
  FailureMessage(RunFailure(), English, text, sizeof text);
  EXPECT_STREQ(text, "Create file or directory error !\n\"c:\\Orbivue\\Orbivue.exe\"");
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
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  EXPECT_EQ(RunFailure().kind, FailureKind::DamagedInstaller);
  EXPECT_FALSE(Exists("c:\\Orbivue\\Uninstall.ini"));
}

}  // namespace
