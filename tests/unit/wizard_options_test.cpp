// The options page: what it shows on every visit, what Next stores, and the
// refusal of a destination too long for the installation's paths.
#include "wizard/destination_limit.h"
#include "wizard/device_table.h"
#include "wizard_fixture.h"

namespace {

using OptionsPage = WizardTest;

const std::vector<std::string> EnglishDevices = {
    "Sky Star 1 Hard mode (need TechnoTrend 2.x driver)",
    "Sky Star 1 Soft mode (need TechnoTrend 2.x driver)",
    "Sky Star 2 PCI or USB (need 4.22 drivers)",
    "Budget-PCI-Card",
    "Budget-USB-Boxes",
    "Pinnacle DVB-S",
    "TwinHan compatible",
    "AVerTV DVB-S",
    "BroadLogic 2030 or 1030 DVB-S Card ",
    "Broadcast client",
    "--- Not start device ---",
};

const std::vector<std::string> RussianDevices = {
    Ansi(u8"Sky Star 1 Hard mode (нужен TechnoTrend 2.x драйвер)"),
    Ansi(u8"Sky Star 1 Soft mode (нужен TechnoTrend 2.x драйвер)"),
    Ansi(u8"Sky Star 2 PCI or USB (нужен драйвер 4.22 или старше)"),
    "Budget-PCI (SkyStar3)",
    "Budget-USB (SkyStar3)",
    "Pinnacle DVB-S",
    Ansi(u8"TwinHan совместимая"),
    "AVerTV DVB-S",
    Ansi(u8"BroadLogic 2030 или 1030 DVB-S Card "),
    Ansi(u8"Broadcast клиент"),
    Ansi(u8"--- Не запускать не одно из устройств ---"),
};

struct OptionsView {
  bool elecard = false, twinhan = false;
  std::vector<std::string> rows;
  int selection = -2;
  std::string destination;
  int limit = 0;
};

OptionsView LookAtOptions() {
  OptionsView view;
  view.elecard = ControlOf(pageWindow, ID_ELECARD_FILTERS).checked;
  view.twinhan = ControlOf(pageWindow, ID_TWINHAN_SOURCE).checked;
  view.rows = ControlOf(pageWindow, ID_DEVICE_LIST).rows;
  view.selection = ControlOf(pageWindow, ID_DEVICE_LIST).selection;
  view.destination = ControlOf(pageWindow, ID_DESTINATION).text;
  view.limit = ControlOf(pageWindow, ID_DESTINATION).textLimit;
  return view;
}

TEST_F(OptionsPage, OpensWithBothBoxesTheDevicesRowZeroAndTheDefaultFolder) {
  for (bool russian : {false, true}) {
    SetUp();
    OptionsView view;
    if (russian) ChooseRussian();
    Next();
    UserDoes([&] { view = LookAtOptions(); });
    Cancel();
    RunWizard();
    EXPECT_TRUE(view.elecard);
    EXPECT_TRUE(view.twinhan);
    EXPECT_EQ(view.rows, russian ? RussianDevices : EnglishDevices);
    EXPECT_EQ(view.selection, 0);
    EXPECT_EQ(view.destination, "c:\\Orbivue\\");
    EXPECT_EQ(view.limit, 259);
  }
}

TEST_F(OptionsPage, NextStoresTheAnswers) {
  Next();
  UserClicks(Target::Page, ID_ELECARD_FILTERS);
  UserTypes(ID_DESTINATION, "e:\\Programs\\TV\\");
  UserPicksRow(ID_DEVICE_LIST, 10);
  Next();
  Cancel();
  RunWizard();
  EXPECT_STREQ(installChoices.destinationDir, "e:\\Programs\\TV\\");
  EXPECT_FALSE(installChoices.registerElecardFilters);
  EXPECT_TRUE(installChoices.registerTwinHanSource);
  EXPECT_EQ(installChoices.deviceIndex, 10);
  EXPECT_EQ(DeviceTable[installChoices.deviceIndex].deviceFile[0], '\0');
}

TEST_F(OptionsPage, AnEmptyFolderIsStoredEmpty) {
  Next();
  UserTypes(ID_DESTINATION, "");
  Next();
  Cancel();
  RunWizard();
  EXPECT_STREQ(installChoices.destinationDir, "");
  EXPECT_EQ(installChoices.step, StepEnd);
}

TEST_F(OptionsPage, ReturningShowsTheStartValuesAgain) {
  OptionsView view;
  Next();
  UserClicks(Target::Page, ID_ELECARD_FILTERS);
  UserClicks(Target::Page, ID_TWINHAN_SOURCE);
  UserPicksRow(ID_DEVICE_LIST, 5);
  UserTypes(ID_DESTINATION, "f:\\tv\\");
  Next();
  Back();
  UserDoes([&] { view = LookAtOptions(); });
  Cancel();
  RunWizard();
  EXPECT_TRUE(view.elecard);
  EXPECT_TRUE(view.twinhan);
  EXPECT_EQ(view.selection, 0);
  EXPECT_EQ(view.destination, "c:\\Orbivue\\");
  // while the record keeps what Next stored
  EXPECT_EQ(installChoices.deviceIndex, 5);
  EXPECT_FALSE(installChoices.registerElecardFilters);
  EXPECT_STREQ(installChoices.destinationDir, "f:\\tv\\");
}

std::string Folder(size_t length, bool backslash) {
  std::string folder = "c:\\" + std::string(length - 3 - (backslash ? 1 : 0), 'x');
  return backslash ? folder + "\\" : folder;
}

TEST_F(OptionsPage, TheLongestDestinationIsTaken) {
  ASSERT_EQ(MaxDestinationLength, 179);
  std::string folder = Folder(179, true);
  Next();
  UserTypes(ID_DESTINATION, folder);
  Next();
  NotePage();
  Cancel();
  RunWizard();
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  EXPECT_EQ(installChoices.destinationDir, folder);
  EXPECT_EQ(pagesSeen, std::vector<int>{DIALOG_MODULES_EN});
}

TEST_F(OptionsPage, ALongerDestinationIsRefusedAndNothingStored) {
  for (std::string folder : {Folder(180, true), Folder(179, false), Folder(259, true)}) {
    SetUp();
    int stepAfter = 0;
    Window pageAfter = nullptr, pageBefore = nullptr;
    std::string textAfter;
    Next();
    UserDoes([&] { pageBefore = pageWindow; });
    UserPicksRow(ID_DEVICE_LIST, 4);
    UserTypes(ID_DESTINATION, folder);
    Next();
    UserDoes([&] {
      stepAfter = installChoices.step;
      pageAfter = pageWindow;
      textAfter = PageControl(ID_DESTINATION).text;
    });
    Cancel();
    RunWizard();
    ASSERT_EQ(hostWizard.messageBoxes.size(), 1u) << folder.size();
    const HostMessageBox& box = hostWizard.messageBoxes[0];
    EXPECT_EQ(box.text,
              "The destination directory is too long. Please choose one of at most 179 "
              "characters.");
    EXPECT_EQ(box.caption, "Orbivue");
    EXPECT_EQ(stepAfter, StepOptions);
    EXPECT_EQ(pageAfter, pageBefore);
    EXPECT_EQ(textAfter, folder);
    EXPECT_STREQ(installChoices.destinationDir, "");
    EXPECT_EQ(installChoices.deviceIndex, 0);
  }
}

TEST_F(OptionsPage, TheRefusalSpeaksRussianAfterRussian) {
  ChooseRussian();
  Next();
  UserTypes(ID_DESTINATION, Folder(200, true));
  Next();
  Cancel();
  RunWizard();
  ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_EQ(hostWizard.messageBoxes[0].text,
            Ansi(u8"Слишком длинный путь директории для инсталляции. Выберите путь не длиннее "
                 u8"179 символов."));
}

TEST_F(OptionsPage, TypingStopsAtTheBufferSoNothingIsCutWhenRead) {
  std::string stored;
  Next();
  UserTypes(ID_DESTINATION, std::string(300, 'y'));
  UserDoes([&] { stored = PageControl(ID_DESTINATION).text; });
  Next();
  Cancel();
  RunWizard();
  EXPECT_EQ(stored.size(), 259u);
  EXPECT_EQ(hostWizard.messageBoxes.size(), 1u);
}

TEST_F(OptionsPage, TheMessageOwnerIsTheFrame) {
  Window frame = nullptr;
  Next();
  UserDoes([&] { frame = frameWindow; });
  UserTypes(ID_DESTINATION, Folder(200, true));
  Next();
  Cancel();
  RunWizard();
  ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_EQ(hostWizard.messageBoxes[0].owner, frame);
}

}  // namespace
