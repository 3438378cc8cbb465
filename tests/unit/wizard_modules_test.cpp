// The modules page: the list with its check boxes on every visit, and the
// boxes read back on Next.
#include "wizard/modules_list.h"
#include "wizard_fixture.h"

namespace {

using ModulesPage = WizardTest;

struct ModulesView {
  std::vector<std::string> labels;
  std::vector<int> images;
  bool checkBoxes = false;
  std::vector<int> columns;
};

ModulesView LookAtModules() {
  ModulesView view;
  const HostControl& list = ControlOf(pageWindow, ID_MODULE_LIST);
  for (const auto& item : list.items) {
    view.labels.push_back(item.text);
    view.images.push_back(item.stateImage);
  }
  view.checkBoxes = list.checkBoxes;
  view.columns = list.columnWidths;
  return view;
}

void ToModules(bool russian = false) {
  if (russian) UserClicks(Target::Page, ID_RUSSIAN);
  UserClicks(Target::Frame, ID_NEXT);
  UserClicks(Target::Frame, ID_NEXT);  // row 0: straight to the modules
}

TEST_F(ModulesPage, OpensWithTheStartingChoicesInTheChosenLanguage) {
  for (bool russian : {false, true}) {
    SetUp();
    ModulesView view;
    ToModules(russian);
    UserDoes([&] { view = LookAtModules(); });
    Cancel();
    RunWizard();
    std::vector<std::string> labels =
        russian ? std::vector<std::string>{Ansi(u8"Программа передач"), Ansi(u8"Планировщик"),
                                           Ansi(u8"WinLirk клиент"), Ansi(u8"Broadcast сервер"),
                                           "Stream router"}
                : std::vector<std::string>{"EPG", "Scheduler", "WinLirc client", "Broadcast server",
                                           "Stream router"};
    EXPECT_EQ(view.labels, labels);
    EXPECT_EQ(view.images, (std::vector<int>{2, 2, 1, 1, 2}));
    EXPECT_TRUE(view.checkBoxes);
    EXPECT_EQ(view.columns, std::vector<int>{300});
  }
}

TEST_F(ModulesPage, UntickingSchedulerClearsThatRowOnly) {
  ToModules();
  UserTicks(ID_MODULE_LIST, 1);
  Next();
  Cancel();
  RunWizard();
  const bool expected[] = {true, false, false, false, true};
  for (int row = 0; row < ModuleCount; row++) {
    EXPECT_EQ(ModuleTable[row].enabled, expected[row]) << "row " << row;
  }
  EXPECT_TRUE(IsDisabledModuleFile("Modules\\Planner.Module"));
  EXPECT_FALSE(IsDisabledModuleFile("Modules\\Agenda.Module"));
}

TEST_F(ModulesPage, EveryVisitRestoresTheStartingChoices) {
  ModulesView view;
  ToModules();
  UserTicks(ID_MODULE_LIST, 0);
  UserTicks(ID_MODULE_LIST, 3);
  Next();  // stored, then the installation step and the finish page
  WaitForFinishPage();
  Cancel();
  RunWizard();
  EXPECT_FALSE(ModuleTable[0].enabled);
  EXPECT_TRUE(ModuleTable[3].enabled);

  SetUp();
  ToModules();
  UserTicks(ID_MODULE_LIST, 0);
  UserTicks(ID_MODULE_LIST, 3);
  Back();
  Next();
  UserDoes([&] { view = LookAtModules(); });
  Cancel();
  RunWizard();
  EXPECT_EQ(view.images, (std::vector<int>{2, 2, 1, 1, 2}));
  EXPECT_TRUE(ModuleTable[0].enabled) << "the table is filled afresh on the visit";
  EXPECT_FALSE(ModuleTable[3].enabled);
}

TEST_F(ModulesPage, AnythingButAnEmptyBoxCountsAsChosen) {
  ToModules();
  UserDoes([] {
    auto& items = ControlOf(pageWindow, ID_MODULE_LIST).items;
    items[2].stateImage = 0;  // no box image at all
    items[4].stateImage = 1;
  });
  Next();
  Cancel();
  RunWizard();
  EXPECT_TRUE(ModuleTable[2].enabled);
  EXPECT_FALSE(ModuleTable[4].enabled);
}

}  // namespace
