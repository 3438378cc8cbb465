// The language the texts are shown in: every text of the Russian wizard is
// shown as code page 1251, whatever the system's code page, and the English
// wizard shows its texts, paths among them, in the system's code page.
#include <sys/stat.h>

#include "install_fixture.h"

namespace {

using ShownTexts = InstallTest;

TEST_F(ShownTexts, TheLanguageRadiosSwitchTheTextsAtOnce) {
  std::vector<bool> seen;
  auto note = [&] { UserDoes([&] { seen.push_back(hostWizard.textsRussian); }); };
  note();
  ChooseRussian();
  note();
  UserClicks(Target::Page, ID_ENGLISH);
  note();
  ChooseRussian();
  Next();
  note();
  Cancel();
  RunWizard();
  EXPECT_EQ(seen, (std::vector<bool>{false, true, false, true}));
  EXPECT_TRUE(hostWizard.misreadTexts.empty());
}

// Every page, the browser, the refusal, the installation and its closing
// message: nothing beyond ASCII is shown while the texts are English.
TEST_F(ShownTexts, TheRussianWizardShowsEveryTextAsRussian) {
  GiveArchive(ProductArchive());
  ChooseRussian();
  Next();
  BrowserWillDo({{"D:\\TV"}, true});
  UserClicks(Target::Page, ID_BROWSE);
  UserTypes(ID_DESTINATION, "c:\\" + std::string(250, 'r') + "\\");
  Next();  // refused
  UserTypes(ID_DESTINATION, "c:\\Orbivue\\");
  UserPicksRow(ID_DEVICE_LIST, 2);
  Next();
  Next();
  Next();
  Cancel();  // during the installation
  RunWizard();
  ASSERT_EQ(hostWizard.messageBoxes.size(), 2u);
  for (const HostMessageBox& box : hostWizard.messageBoxes) EXPECT_TRUE(box.textsRussian);
  EXPECT_EQ(hostWizard.messageBoxes[1].text, Ansi(u8"Инсталляция прервана пользователем !"));
  EXPECT_EQ(hostWizard.browsers.size(), 1u);
  EXPECT_TRUE(hostWizard.misreadTexts.empty())
      << hostWizard.misreadTexts.size() << " texts, the first: " << hostWizard.misreadTexts[0];
}

// An English message may carry a path beyond ASCII (here in code page
// 1252); it is shown in the system's code page, where the path reads right.
TEST_F(ShownTexts, AnEnglishMessageShowsItsPathInTheSystemCodePage) {
  GiveArchive(ProductArchive());
  const std::string folder = "c:\\M\xFCller\\";
  mkdir((SandboxPath() + "/c/M\xFCller").c_str(), 0777);
  mkdir((SandboxPath() + "/c/M\xFCller/graphedt.exe").c_str(), 0777);  // a folder in the way
  InstallTo(folder);
  RunToTheEnd();
  ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_EQ(hostWizard.messageBoxes[0].text,
            "Create file or directory error !\n\"" + folder + "graphedt.exe\"");
  EXPECT_FALSE(hostWizard.messageBoxes[0].textsRussian);
}

}  // namespace
