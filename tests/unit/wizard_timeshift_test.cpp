// The timeshift page: its start on every visit, the radio buttons, the
// half-of-memory limit, and the answers stored on Next.
#include <climits>

#include "answers/timeshift.h"
#include "wizard_fixture.h"

namespace {

using TimeshiftPage = WizardTest;

struct TimeshiftView {
  bool disable = false, inMemory = false, inFile = false;
  std::string size, file;
  bool sizeEnabled = false, fileEnabled = false;
};

TimeshiftView LookAtTimeshift() {
  return {ControlOf(pageWindow, ID_TIMESHIFT_DISABLE).checked,
          ControlOf(pageWindow, ID_TIMESHIFT_MEMORY).checked,
          ControlOf(pageWindow, ID_TIMESHIFT_FILE).checked,
          ControlOf(pageWindow, ID_BUFFER_SIZE).text,
          ControlOf(pageWindow, ID_DESTINATION).text,
          ControlOf(pageWindow, ID_BUFFER_SIZE).enabled,
          ControlOf(pageWindow, ID_DESTINATION).enabled};
}

// Scripts the way to the timeshift page with a destination typed on the options page.
void ToTimeshift(const std::string& destination = "c:\\Orbivue\\") {
  UserClicks(Target::Frame, ID_NEXT);
  UserTypes(ID_DESTINATION, destination);
  UserPicksRow(ID_DEVICE_LIST, 1);
  UserClicks(Target::Frame, ID_NEXT);
}

TEST_F(TimeshiftPage, OpensOnDisableWith2000AndTheProposedFile) {
  for (auto [destination, proposal] : std::vector<std::pair<std::string, std::string>>{
           {"c:\\Orbivue\\", "c:\\Orbivue\\timeshift.dat"},
           {"d:\\tv", "d:\\tv\\timeshift.dat"},
           {"d:/tv/../radio", "d:\\radio\\timeshift.dat"}}) {
    SetUp();
    TimeshiftView view;
    ToTimeshift(destination);
    UserDoes([&] { view = LookAtTimeshift(); });
    Cancel();
    RunWizard();
    EXPECT_TRUE(view.disable);
    EXPECT_FALSE(view.inMemory);
    EXPECT_FALSE(view.inFile);
    EXPECT_EQ(view.size, "2000");
    EXPECT_EQ(view.file, proposal);
    EXPECT_FALSE(view.sizeEnabled);
    EXPECT_FALSE(view.fileEnabled);
  }
}

TEST_F(TimeshiftPage, TheRadiosEnableWhatTheyNeed) {
  std::vector<TimeshiftView> seen;
  auto look = [&] { UserDoes([&] { seen.push_back(LookAtTimeshift()); }); };
  ToTimeshift();
  UserClicks(Target::Page, ID_TIMESHIFT_FILE);
  look();
  UserClicks(Target::Page, ID_TIMESHIFT_DISABLE);
  look();
  UserClicks(Target::Page, ID_TIMESHIFT_MEMORY);
  look();
  Cancel();
  RunWizard();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(seen[0].inFile && seen[0].sizeEnabled && seen[0].fileEnabled);
  EXPECT_TRUE(seen[1].disable && !seen[1].sizeEnabled && !seen[1].fileEnabled);
  EXPECT_TRUE(seen[2].inMemory && seen[2].sizeEnabled && !seen[2].fileEnabled);
  EXPECT_FALSE(seen[2].disable || seen[2].inFile);
}

// The size shown after typing `typed` (with "In file" chosen) and clicking "In memory".
std::string SizeAfterInMemory(uint32_t physicalBytes, const std::string& typed) {
  std::string size;
  hostWizard.physicalBytes = physicalBytes;
  ToTimeshift();
  UserClicks(Target::Page, ID_TIMESHIFT_FILE);
  UserTypes(ID_BUFFER_SIZE, typed);
  UserClicks(Target::Page, ID_TIMESHIFT_MEMORY);
  UserDoes([&] { size = ControlOf(pageWindow, ID_BUFFER_SIZE).text; });
  UserClicks(Target::Frame, ID_CANCEL);
  RunSetup(nullptr);
  return size;
}

TEST_F(TimeshiftPage, InMemoryProposesAtMostHalfOfThePhysicalMemory) {
  EXPECT_EQ(SizeAfterInMemory(512u << 20, "2000"), "256");
  SetUp();
  EXPECT_EQ(SizeAfterInMemory(1073217536u, "2000"), "511");  // 1023.5 MB
  SetUp();
  EXPECT_EQ(SizeAfterInMemory(512u << 20, "100"), "100");
  SetUp();
  EXPECT_EQ(SizeAfterInMemory(512u << 20, "256"), "256");
  SetUp();
  EXPECT_EQ(SizeAfterInMemory(512u << 20, "257"), "256");
  SetUp();
  EXPECT_EQ(SizeAfterInMemory(0xFFFFFFFFu, "99999"), "2047");
  SetUp();
  EXPECT_EQ(SizeAfterInMemory(512u << 20, "abc"), "abc");  // 0 is within the limit
}

TEST_F(TimeshiftPage, TheLimitAppliesOnlyWhenInMemoryIsClicked) {
  hostWizard.physicalBytes = 512u << 20;
  ToTimeshift();
  UserClicks(Target::Page, ID_TIMESHIFT_MEMORY);
  UserTypes(ID_BUFFER_SIZE, "5000");
  Next();
  Cancel();
  RunWizard();
  EXPECT_EQ(installChoices.timeshiftBufferMB, 5000);
  EXPECT_TRUE(installChoices.timeshiftInMemory);
  EXPECT_FALSE(installChoices.timeshiftDisabled);
}

TEST_F(TimeshiftPage, NextStoresEveryFieldWhateverTheRadio) {
  ToTimeshift();
  UserClicks(Target::Page, ID_TIMESHIFT_FILE);
  UserTypes(ID_DESTINATION, "e:\\buffer.dat");
  UserTypes(ID_BUFFER_SIZE, "  64MB");
  UserClicks(Target::Page, ID_TIMESHIFT_DISABLE);  // the greyed edits still hand over their text
  Next();
  Cancel();
  RunWizard();
  EXPECT_STREQ(installChoices.timeshiftFile, "e:\\buffer.dat");
  EXPECT_EQ(installChoices.timeshiftBufferMB, 64);
  EXPECT_TRUE(installChoices.timeshiftDisabled);
  EXPECT_FALSE(installChoices.timeshiftInMemory);
}

TEST_F(TimeshiftPage, InFileClearsBothFlags) {
  ToTimeshift();
  UserClicks(Target::Page, ID_TIMESHIFT_FILE);
  Next();
  Cancel();
  RunWizard();
  EXPECT_FALSE(installChoices.timeshiftDisabled);
  EXPECT_FALSE(installChoices.timeshiftInMemory);
  EXPECT_STREQ(installChoices.timeshiftFile, "c:\\Orbivue\\timeshift.dat");
}

TEST_F(TimeshiftPage, PassedOverForRowZeroTheFieldsKeepTheirStartValues) {
  UserClicks(Target::Frame, ID_NEXT);
  UserTypes(ID_DESTINATION, "d:\\tv\\");
  Next();
  Next();
  Cancel();
  RunWizard();
  EXPECT_TRUE(installChoices.timeshiftDisabled);
  EXPECT_FALSE(installChoices.timeshiftInMemory);
  EXPECT_STREQ(installChoices.timeshiftFile, "c:\\timeshift.dat");
  EXPECT_EQ(installChoices.timeshiftBufferMB, 2000);
}

TEST_F(TimeshiftPage, AVisitAfterBackStartsAfresh) {
  TimeshiftView view;
  ToTimeshift();
  UserClicks(Target::Page, ID_TIMESHIFT_FILE);
  UserTypes(ID_BUFFER_SIZE, "10");
  Next();
  Back();
  UserDoes([&] { view = LookAtTimeshift(); });
  Cancel();
  RunWizard();
  EXPECT_TRUE(view.disable);
  EXPECT_EQ(view.size, "2000");
  EXPECT_EQ(installChoices.timeshiftBufferMB, 10);
}

TEST(ParseDecimal, ReadsLeadingDigitsAfterBlanksAndASign) {
  EXPECT_EQ(ParseDecimal("2000"), 2000);
  EXPECT_EQ(ParseDecimal("64MB"), 64);
  EXPECT_EQ(ParseDecimal(" \t64MB"), 64);
  EXPECT_EQ(ParseDecimal("-12"), -12);
  EXPECT_EQ(ParseDecimal("+7x"), 7);
  EXPECT_EQ(ParseDecimal("abc"), 0);
  EXPECT_EQ(ParseDecimal(""), 0);
  EXPECT_EQ(ParseDecimal("- 5"), 0);
}

TEST(ParseDecimal, StopsAtTheEndsOfThe32BitRange) {
  EXPECT_EQ(ParseDecimal("2147483647"), INT_MAX);
  EXPECT_EQ(ParseDecimal("2147483648"), INT_MAX);
  EXPECT_EQ(ParseDecimal("99999999999999999999"), INT_MAX);
  EXPECT_EQ(ParseDecimal("-2147483648"), INT_MIN);
  EXPECT_EQ(ParseDecimal("-99999999999999999999"), INT_MIN);
}

TEST(ProposeTimeshiftFile, FallsBackWhenTheDestinationLeavesNoRoom) {
  char proposal[PathBufferSize];
  std::string destination(246, 'd');
  ProposeTimeshiftFile(destination.c_str(), proposal);
  EXPECT_EQ(std::string(proposal), destination + "timeshift.dat");
  destination += 'd';
  ProposeTimeshiftFile(destination.c_str(), proposal);
  EXPECT_STREQ(proposal, "c:\\timeshift.dat");
}

}  // namespace
