// Setup's command line: every switch read into its answer, the answers
// checked as the wizard's pages check them, and every malformed line
// refused with its reason.
#include <gtest/gtest.h>

#include <string>

#include "answers/command_line.h"
#include "answers/destination_rules.h"
#include "answers/install_choices.h"
#include "answers/timeshift.h"

namespace {

class SetupCommandLine : public ::testing::Test {
 protected:
  void SetUp() override { ResetInstallChoices(); }
  bool Parse(const std::string& text) { return ParseCommandLine(text.c_str(), &line_, reason_); }
  bool Apply(const std::string& text) { return Parse(text) && ApplyCommandLine(line_, reason_); }
  CommandLine line_;
  char reason_[ReasonSize];
};

TEST_F(SetupCommandLine, EverySwitchIsReadIntoItsAnswerInAnyCaseAndOrder) {
  ASSERT_TRUE(
      Apply("  /passive /Lang=RU /DEVICE=3 /filters=Elecard /Modules=relay.MODULE,Agenda.Module "
            "/TIMESHIFT=file:d:\\tv\\shift,1.dat,500 /run /LOG=\"c:\\logs\\setup log.txt\" "
            "/d=\"c:\\TV Viewer\\\"  "))
      << reason_;
  EXPECT_EQ(line_.mode, RunMode::Passive);
  EXPECT_TRUE(line_.given);
  EXPECT_STREQ(line_.logFile, "c:\\logs\\setup log.txt");
  const InstallChoices& c = installChoices;
  EXPECT_EQ(c.language, Russian);
  EXPECT_EQ(c.deviceIndex, 3);
  EXPECT_TRUE(c.registerElecardFilters);
  EXPECT_FALSE(c.registerTwinHanSource);
  EXPECT_STREQ(c.destinationDir, "c:\\TV Viewer\\");
  EXPECT_FALSE(c.timeshiftDisabled || c.timeshiftInMemory);
  EXPECT_STREQ(c.timeshiftFile, "d:\\tv\\shift,1.dat");  // the size follows the last comma
  EXPECT_EQ(c.timeshiftBufferMB, 500);
  EXPECT_TRUE(c.runAfterSetup);
  const bool modules[ModuleCount] = {true, false, false, false, true};
  for (int row = 0; row < ModuleCount; row++) EXPECT_EQ(ModuleTable[row].enabled, modules[row]);
  EXPECT_STREQ(ModuleTable[0].fileName, "Agenda.Module");

  // /D= takes the rest of the line, blanks and all, quotes optional.
  ASSERT_TRUE(Apply("/S /D=c:\\Program Files\\My Orbivue")) << reason_;
  EXPECT_EQ(line_.mode, RunMode::Silent);
  EXPECT_STREQ(installChoices.destinationDir, "c:\\Program Files\\My Orbivue\\");
  // Quoted whole, as a program quotes an argument with a blank.
  ASSERT_TRUE(Apply("/S \"/LOG=c:\\my logs\\setup.log\" \"/D=c:\\Program Files\\Orbivue\""))
      << reason_;
  EXPECT_STREQ(line_.logFile, "c:\\my logs\\setup.log");
  EXPECT_STREQ(installChoices.destinationDir, "c:\\Program Files\\Orbivue\\");
  EXPECT_FALSE(Parse("\"/D=c:\\tv\" /S"));  // the destination comes last
  ASSERT_TRUE(Apply("-s /timeshift=memory:64 /device=10 /filters=none /modules=none")) << reason_;
  EXPECT_TRUE(installChoices.timeshiftInMemory);
  EXPECT_EQ(installChoices.timeshiftBufferMB, 64);
  // As the wizard's timeshift page leaves it: its file the proposal.
  EXPECT_STREQ(installChoices.timeshiftFile, "c:\\Orbivue\\timeshift.dat");
  EXPECT_FALSE(installChoices.registerElecardFilters || installChoices.registerTwinHanSource);
  for (int row = 0; row < ModuleCount; row++) EXPECT_FALSE(ModuleTable[row].enabled);
  ASSERT_TRUE(Parse("/?"));
  EXPECT_EQ(line_.mode, RunMode::Usage);
  ASSERT_TRUE(Parse("   "));
  EXPECT_FALSE(line_.given);
  EXPECT_EQ(line_.mode, RunMode::Wizard);
}

// What the line leaves out is the wizard's own default.
TEST_F(SetupCommandLine, AnswersNotGivenAreTheWizardsDefaults) {
  ASSERT_TRUE(Apply("/S")) << reason_;
  const InstallChoices& c = installChoices;
  EXPECT_EQ(c.language, English);
  EXPECT_STREQ(c.destinationDir, "c:\\Orbivue\\");
  EXPECT_EQ(c.deviceIndex, 0);
  EXPECT_TRUE(c.registerElecardFilters && c.registerTwinHanSource);
  EXPECT_TRUE(c.timeshiftDisabled);
  EXPECT_FALSE(c.runAfterSetup);
  const bool modules[ModuleCount] = {true, true, false, false, true};
  for (int row = 0; row < ModuleCount; row++) EXPECT_EQ(ModuleTable[row].enabled, modules[row]);
}

TEST_F(SetupCommandLine, AMalformedLineIsRefusedWithItsReason) {
  const struct {
    const char* line;
    const char* reason;
  } cases[] = {
      {"/X", "Unknown switch: /X"},
      {"S", "Not a switch: S"},
      {"/S /s", "twice"},
      {"/S /PASSIVE", "exclude"},
      {"/LANG", "A value is missing"},
      {"/LANG=", "A value is missing"},
      {"/RUN=1", "No value is taken"},
      {"/LANG=de", "not understood"},
      {"/DEVICE=11", "not understood"},
      {"/DEVICE=-1", "not understood"},
      {"/DEVICE=2x", "not understood"},
      {"/FILTERS=elecard,,twinhan", "not understood"},
      {"/FILTERS=elecard,elecard", "not understood"},
      {"/MODULES=Unknown.Module", "not understood"},
      {"/TIMESHIFT=memory:", "not understood"},
      {"/TIMESHIFT=memory:99999999999", "not understood"},
      {"/TIMESHIFT=file:c:\\t.dat", "not understood"},
      {"/LOG=\"\"", "not understood"},
      {"/D=", "The destination is missing"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(Parse(c.line)) << c.line;
    EXPECT_NE(std::string(reason_).find(c.reason), std::string::npos) << c.line << ": " << reason_;
  }
}

// A refused answer installs nothing: Apply says why.
TEST_F(SetupCommandLine, AnswersAreCheckedAsTheWizardChecksThem) {
  const std::string tooLong = "/D=c:\\" + std::string(MaxDestinationLength, 'x');
  const std::string overHalf =
      "/DEVICE=2 /TIMESHIFT=memory:" + std::to_string(TotalPhysicalMegabytes() / 2 + 1);
  const struct {
    std::string line;
    const char* reason;
  } cases[] = {
      {"/D=c:\\", "refused"},
      {"/D=Orbivue", "refused"},
      {"/D=\\\\server\\share\\Orbivue", "refused"},
      {"/D=c:\\CON\\", "refused"},
      {tooLong, "too long"},
      {"/TIMESHIFT=off", "first device row"},
      {overHalf, "half of the memory"},
      {"/DEVICE=2 /TIMESHIFT=memory:0", "1 MB at least"},
      {"/DEVICE=2 /TIMESHIFT=file:shift.dat,10", "no full path"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Parse(c.line)) << c.line << ": " << reason_;
    EXPECT_FALSE(ApplyCommandLine(line_, reason_)) << c.line;
    EXPECT_NE(std::string(reason_).find(c.reason), std::string::npos) << c.line << ": " << reason_;
  }
  // Another spelling of a sound folder is taken in the one form.
  ASSERT_TRUE(Apply("/D=C:\\tv\\.\\Orbivue")) << reason_;
  EXPECT_STREQ(installChoices.destinationDir, "C:\\tv\\Orbivue\\");
}

}  // namespace
