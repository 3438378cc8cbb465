// Which archive entries belong to an unticked module: the end of the name
// against the module files, letters A to Z compared without case.
#include "answers/module_table.h"
#include "wizard_fixture.h"

namespace {

using ModuleFiles = WizardTest;

TEST_F(ModuleFiles, TheStartingChoicesLeaveOutWinLircAndBroadcastServer) {
  FillModuleTable(English);
  EXPECT_TRUE(IsDisabledModuleFile("Modules\\IrBridge.Module"));
  EXPECT_TRUE(IsDisabledModuleFile("Modules\\Beacon.Module"));
  EXPECT_FALSE(IsDisabledModuleFile("Modules\\Agenda.Module"));
  EXPECT_FALSE(IsDisabledModuleFile("Modules\\Planner.Module"));
  EXPECT_FALSE(IsDisabledModuleFile("Modules\\Relay.module"));
  EXPECT_FALSE(IsDisabledModuleFile("Modules\\SatCardA.Device"));
  EXPECT_FALSE(IsDisabledModuleFile("Orbivue.exe"));
}

TEST_F(ModuleFiles, CaseOfAsciiLettersDoesNotMatter) {
  FillModuleTable(English);
  ModuleTable[4].enabled = false;
  EXPECT_TRUE(IsDisabledModuleFile("Modules\\relay.MODULE"));
  EXPECT_TRUE(IsDisabledModuleFile("MODULES\\BEACON.MODULE"));
}

TEST_F(ModuleFiles, OnlyTheEndOfTheWholeNameCounts) {
  FillModuleTable(English);
  ModuleTable[0].enabled = false;
  EXPECT_TRUE(IsDisabledModuleFile("OldAgenda.Module"));
  EXPECT_TRUE(IsDisabledModuleFile("Agenda.Module"));
  EXPECT_FALSE(IsDisabledModuleFile("Agenda.Module.bak"));
  EXPECT_FALSE(IsDisabledModuleFile("genda.Module"));  // shorter than the file name
  EXPECT_FALSE(IsDisabledModuleFile(""));
}

TEST_F(ModuleFiles, LettersBeyondAsciiAreComparedAsTheyAre) {
  FillModuleTable(English);
  std::snprintf(ModuleTable[2].fileName, sizeof ModuleTable[2].fileName, "%s", "\xC0.Module");
  EXPECT_TRUE(IsDisabledModuleFile("x\\\xC0.module"));
  EXPECT_FALSE(IsDisabledModuleFile("x\\\xE0.Module"));  // the lower-case letter in code page 1251
}

TEST_F(ModuleFiles, FillingTheTableSetsLabelsNamesAndChoices) {
  FillModuleTable(Russian);
  EXPECT_EQ(std::string(ModuleTable[0].label), Ansi(u8"Программа передач"));
  EXPECT_STREQ(ModuleTable[4].label, "Stream router");
  EXPECT_STREQ(ModuleTable[4].fileName, "Relay.module");
  FillModuleTable(English);
  EXPECT_STREQ(ModuleTable[0].label, "EPG");
  EXPECT_STREQ(ModuleTable[2].fileName, "IrBridge.Module");
}

}  // namespace
