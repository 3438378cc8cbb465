// The destination picked with the folder browser: the product folder
// appended, the pre-selection, the status line, cancel, and paths that
// would not fit.
#include <cstring>

#include "wizard/destination_limit.h"
#include "wizard/folder_browse.h"
#include "wizard_fixture.h"

namespace {

using FolderBrowse = WizardTest;

std::string Appended(const std::string& path) {
  char buffer[PathBufferSize];
  std::strcpy(buffer, path.c_str());
  EXPECT_TRUE(AppendProductFolder(buffer)) << path;
  return buffer;
}

TEST(AppendProductFolder, AddsTheProductFolderWithOneBackslash) {
  EXPECT_EQ(Appended("D:\\Programs"), "D:\\Programs\\Orbivue\\");
  EXPECT_EQ(Appended("C:\\"), "C:\\Orbivue\\");
  EXPECT_EQ(Appended("D:\\TV\\"), "D:\\TV\\Orbivue\\");
  EXPECT_EQ(Appended(""), "");
}

TEST(AppendProductFolder, RefusesAResultBeyondTheBufferAndKeepsThePath) {
  std::string fits(250, 'a');  // + "\Orbivue\" = 259 characters
  EXPECT_EQ(Appended(fits).size(), 259u);

  char buffer[PathBufferSize];
  std::string tooLong(251, 'a');
  std::strcpy(buffer, tooLong.c_str());
  EXPECT_FALSE(AppendProductFolder(buffer));
  EXPECT_EQ(buffer, tooLong);
  std::string withBackslash(250, 'a');
  withBackslash += '\\';  // + "Orbivue\" = 259: fits
  std::strcpy(buffer, withBackslash.c_str());
  EXPECT_TRUE(AppendProductFolder(buffer));
  EXPECT_EQ(std::strlen(buffer), 259u);
}

// Opens the browser from the options page after typing text into the edit.
void BrowseFrom(const std::string& typed, HostBrowserScript script) {
  UserClicks(Target::Frame, ID_NEXT);
  UserTypes(ID_DESTINATION, typed);
  BrowserWillDo(std::move(script));
  UserClicks(Target::Page, ID_BROWSE);
}

TEST_F(FolderBrowse, PickingAFolderPutsItWithTheProductFolderIntoTheEdit) {
  std::string edit;
  BrowseFrom("c:\\Orbivue\\", {{"D:\\TV"}, false});
  UserDoes([&] { edit = PageControl(ID_DESTINATION).text; });
  Cancel();
  RunWizard();
  ASSERT_EQ(hostWizard.browsers.size(), 1u);
  const HostBrowserRecord& browser = hostWizard.browsers[0];
  EXPECT_EQ(browser.title, "Select directory for installation .");
  EXPECT_EQ(browser.caption, "Browser");
  EXPECT_EQ(browser.initialSelection, "c:\\Orbivue");
  EXPECT_EQ(browser.statusTexts, std::vector<std::string>{"D:\\TV\\Orbivue\\"});
  EXPECT_EQ(edit, "D:\\TV\\Orbivue\\");
  // the browse button writes the record at once, before any Next
  EXPECT_STREQ(installChoices.destinationDir, "D:\\TV\\Orbivue\\");
  EXPECT_EQ(hostWizard.browseItemsOut, 0);
}

TEST_F(FolderBrowse, TheStatusLineFollowsTheSelection) {
  BrowseFrom("c:\\Orbivue\\", {{"C:\\", "E:\\", "", "E:\\Media"}, false});
  Cancel();
  RunWizard();
  ASSERT_EQ(hostWizard.browsers.size(), 1u);
  EXPECT_EQ(
      hostWizard.browsers[0].statusTexts,
      (std::vector<std::string>{"C:\\Orbivue\\", "E:\\Orbivue\\", "", "E:\\Media\\Orbivue\\"}));
}

TEST_F(FolderBrowse, ADriveRootGivesTheProductFolderOnIt) {
  std::string edit;
  BrowseFrom("c:\\Orbivue\\", {{"E:\\"}, false});
  UserDoes([&] { edit = PageControl(ID_DESTINATION).text; });
  Cancel();
  RunWizard();
  EXPECT_EQ(edit, "E:\\Orbivue\\");
}

TEST_F(FolderBrowse, CancellingKeepsTheTypedText) {
  std::string edit;
  BrowseFrom("x:\\typed here\\", {{"D:\\TV"}, true});
  UserDoes([&] { edit = PageControl(ID_DESTINATION).text; });
  Cancel();
  RunWizard();
  EXPECT_EQ(edit, "x:\\typed here\\");
  EXPECT_STREQ(installChoices.destinationDir, "x:\\typed here\\");
  EXPECT_EQ(hostWizard.browseItemsOut, 0);
}

TEST_F(FolderBrowse, PreselectsTypedTextWithoutItsTrailingBackslashOnly) {
  for (auto [typed, selected] : std::vector<std::pair<std::string, std::string>>{
           {"d:\\tv\\", "d:\\tv"}, {"d:\\tv", "d:\\tv"}, {"", ""}}) {
    SetUp();
    BrowseFrom(typed, {{}, true});
    Cancel();
    RunWizard();
    ASSERT_EQ(hostWizard.browsers.size(), 1u);
    EXPECT_EQ(hostWizard.browsers[0].initialSelection, selected) << typed;
  }
}

TEST_F(FolderBrowse, SpeaksRussianAfterRussian) {
  ChooseRussian();
  BrowseFrom("c:\\Orbivue\\", {{}, true});
  Cancel();
  RunWizard();
  ASSERT_EQ(hostWizard.browsers.size(), 1u);
  EXPECT_EQ(hostWizard.browsers[0].title, Ansi(u8"Выберете директорию для инсталляции."));
  EXPECT_EQ(hostWizard.browsers[0].caption, "Browser");
}

TEST_F(FolderBrowse, AFolderTooLongForTheProductFolderIsRefused) {
  std::string longFolder = "D:\\" + std::string(252, 'z');  // 255: no room for "\Orbivue\"
  std::string edit;
  BrowseFrom("c:\\Orbivue\\", {{longFolder}, false});
  UserDoes([&] { edit = PageControl(ID_DESTINATION).text; });
  Cancel();
  RunWizard();
  ASSERT_EQ(hostWizard.browsers.size(), 1u);
  EXPECT_EQ(hostWizard.browsers[0].statusTexts, std::vector<std::string>{""});
  ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_EQ(hostWizard.messageBoxes[0].caption, "Orbivue");
  EXPECT_EQ(edit, "c:\\Orbivue\\");
  EXPECT_EQ(hostWizard.browseItemsOut, 0);
}

// The pick is held to the options page's own rule at once: the longest
// folder that Next would take is taken, one character more is refused with
// the options page's message, and its status line stays empty.
TEST_F(FolderBrowse, APickIsHeldToTheDestinationLimitAtOnce) {
  for (bool russian : {false, true}) {
    for (size_t extra : {0u, 1u}) {
      SetUp();
      // "\Orbivue" after the folder, then the trailing backslash that does not count.
      std::string folder = "D:\\" + std::string(size_t(MaxDestinationLength) - 8 - 3 + extra, 'q');
      std::string edit;
      if (russian) ChooseRussian();
      BrowseFrom("c:\\Orbivue\\", {{folder}, false});
      UserDoes([&] { edit = PageControl(ID_DESTINATION).text; });
      Next();
      Cancel();
      RunWizard();
      ASSERT_EQ(hostWizard.browsers.size(), 1u);
      if (extra == 0) {
        EXPECT_EQ(edit, folder + "\\Orbivue\\");
        EXPECT_EQ(hostWizard.browsers[0].statusTexts, std::vector<std::string>{edit});
        EXPECT_TRUE(hostWizard.messageBoxes.empty());  // nor on Next
        EXPECT_EQ(installChoices.destinationDir, edit);
        continue;
      }
      EXPECT_EQ(edit, "c:\\Orbivue\\");
      EXPECT_EQ(hostWizard.browsers[0].statusTexts, std::vector<std::string>{""});
      ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
      std::string refusal =
          ResourceString(russian ? STRING_DESTINATION_TOO_LONG_RU : STRING_DESTINATION_TOO_LONG_EN);
      refusal.replace(refusal.find("%d"), 2, std::to_string(MaxDestinationLength));
      EXPECT_EQ(hostWizard.messageBoxes[0].text, refusal);
      EXPECT_STREQ(installChoices.destinationDir, "c:\\Orbivue\\");
    }
  }
}

TEST_F(FolderBrowse, AnItemWithoutAFolderPathChangesNothing) {
  std::string edit;
  BrowseFrom("c:\\Orbivue\\", {{""}, false});
  UserDoes([&] { edit = PageControl(ID_DESTINATION).text; });
  Cancel();
  RunWizard();
  EXPECT_EQ(edit, "c:\\Orbivue\\");
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  EXPECT_EQ(hostWizard.browseItemsOut, 0);
}

}  // namespace
