// The options page: what it shows on every visit, what Next stores, and the
// refusal of a destination too long for the installation's paths.
#include <cstdlib>

#include "answers/device_table.h"
#include "wizard/destination_limit.h"
#include "wizard_fixture.h"

namespace {

std::string Folder(size_t length, bool backslash);

struct NextResult {
  bool movedOn = false;
  std::string refusal;
};

class OptionsPage : public WizardTest {
 protected:
  // Types folder on the options page and presses Next, in a fresh wizard;
  // tells whether the wizard moved on, and what a refusal said.
  NextResult TryDestination(const std::string& folder, bool russian) {
    SetUp();
    int stepAfter = 0;
    if (russian) ChooseRussian();
    Next();
    UserTypes(ID_DESTINATION, folder);
    Next();
    UserDoes([&] { stepAfter = installChoices.step; });
    Cancel();
    RunWizard();
    NextResult result;
    result.movedOn = stepAfter != StepOptions;
    if (!hostWizard.messageBoxes.empty()) result.refusal = hostWizard.messageBoxes[0].text;
    EXPECT_LE(hostWizard.messageBoxes.size(), 1u);
    EXPECT_EQ(result.movedOn, result.refusal.empty()) << folder.size();
    return result;
  }
};

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

// Folders the uninstaller could never remove are refused on Next, in the
// chosen language, and nothing is stored.
TEST_F(OptionsPage, FoldersTheUninstallerWouldRefuseAreRefused) {
  const std::string english =
      "This folder cannot hold the installation. Please choose a full path on a drive, below its "
      "root folder, with no name that ends in a dot or a blank and no device name such as CON or "
      "NUL.";
  const std::string russian = Ansi(
      u8"Эта папка не подходит для инсталляции. Выберите полный путь на диске, не корневую папку "
      u8"диска, без имён, оканчивающихся точкой или пробелом, и без имён устройств, таких как CON "
      u8"или NUL.");
  for (const char* folder :
       {"", "c:\\", "C:", "d:/", "c:\\x\\..\\", "Orbivue", "\\Orbivue\\", "c:Orbivue",
        "\\\\server\\share\\Orbivue\\", "\\\\?\\c:\\Orbivue\\", "c:\\Orbivue \\", "c:\\Orbivue.\\",
        "c:\\Orbivue.", "c:\\con\\", "c:\\Tools\\NUL.txt\\", "c:\\a\\COM1\\b\\", "c:\\CONIN$\\",
        "c:\\Or|bivue\\", "c:\\Or*\\"}) {
    for (bool inRussian : {false, true}) {
      const NextResult result = TryDestination(folder, inRussian);
      EXPECT_FALSE(result.movedOn) << folder;
      EXPECT_EQ(result.refusal, inRussian ? russian : english) << folder;
      EXPECT_STREQ(installChoices.destinationDir, "") << folder;
    }
  }
}

// Other spellings of a folder are stored in the one form both programs use.
TEST_F(OptionsPage, OtherSpellingsAreStoredInOneForm) {
  for (auto [typed, stored] : std::vector<std::pair<std::string, std::string>>{
           {"c:/Orbivue/", "c:\\Orbivue\\"},
           {"c:\\x\\..\\Orbivue\\", "c:\\Orbivue\\"},
           {"c:\\.\\Orbivue", "c:\\Orbivue\\"},
           {"c:\\\\Orbivue\\\\", "c:\\Orbivue\\"},
           {"c:\\Program Files\\Orbivue", "c:\\Program Files\\Orbivue\\"}}) {
    SetUp();
    Next();
    UserTypes(ID_DESTINATION, typed);
    Next();
    Cancel();
    RunWizard();
    EXPECT_TRUE(hostWizard.messageBoxes.empty()) << typed;
    EXPECT_EQ(installChoices.destinationDir, stored) << typed;
  }
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

// The number of characters that the refusal names.
int NamedLimit(const std::string& refusal) {
  size_t digits = refusal.find_first_of("0123456789");
  return digits == std::string::npos ? -1 : std::atoi(refusal.c_str() + digits);
}

TEST_F(OptionsPage, TheLongestDestinationIsTaken) {
  for (std::string folder : {Folder(179, true), Folder(178, false)}) {
    SetUp();
    pagesSeen.clear();
    Next();
    UserTypes(ID_DESTINATION, folder);
    Next();
    NotePage();
    Cancel();
    RunWizard();
    EXPECT_TRUE(hostWizard.messageBoxes.empty()) << folder;
    EXPECT_EQ(installChoices.destinationDir, folder.back() == '\\' ? folder : folder + "\\");
    EXPECT_EQ(pagesSeen, std::vector<int>{DIALOG_MODULES_EN});
  }
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
              "The destination directory is too long. Please choose one of at most 178 "
              "characters, not counting a trailing backslash.");
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
                 u8"178 символов, не считая обратной косой черты в конце."));
}

// Whatever the number, the refusal in either language must state the rule
// exactly: a folder of that many characters is taken with or without its
// trailing backslash, one character more is refused either way.
TEST_F(OptionsPage, TheRefusalStatesExactlyTheRuleItApplies) {
  for (bool russian : {false, true}) {
    const int limit = NamedLimit(TryDestination(Folder(250, true), russian).refusal);
    ASSERT_GT(limit, 3) << russian;
    EXPECT_TRUE(TryDestination(Folder(size_t(limit), false), russian).movedOn) << russian;
    EXPECT_TRUE(TryDestination(Folder(size_t(limit) + 1, true), russian).movedOn) << russian;
    NextResult oneMore = TryDestination(Folder(size_t(limit) + 1, false), russian);
    EXPECT_FALSE(oneMore.movedOn) << russian;
    EXPECT_EQ(NamedLimit(oneMore.refusal), limit) << russian;
    EXPECT_FALSE(TryDestination(Folder(size_t(limit) + 2, true), russian).movedOn) << russian;
  }
}

// Below the longest destination there is room for the deepest entry names.
TEST(DestinationLimit, EveryPathBelowTheLongestDestinationFits) {
  std::string longest = Folder(size_t(MaxDestinationLength), false);
  ASSERT_TRUE(DestinationFits(longest.c_str()));
  std::string deepest = longest + "\\" + std::string(size_t(LongestEntryName), 'n');
  EXPECT_LE(deepest.size(), size_t(LongestPath));
  EXPECT_TRUE(DestinationFits(""));
  EXPECT_TRUE(DestinationFits((longest + "\\").c_str()));
  EXPECT_FALSE(DestinationFits((longest + "x").c_str()));
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
