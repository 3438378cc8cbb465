// A shortcut that cannot be saved (its folder on a full disk, or gone) is
// that shortcut's write error: the run stops there and never says it
// completed, and the log still lists the shortcut it tried.
#include <cstdlib>

#include "install_fixture.h"

namespace {

using ShortcutErrors = InstallTest;

TEST_F(ShortcutErrors, AShortcutThatIsNotSavedIsItsWriteError) {
  const struct {
    const char* folder;  // taken away before the run
    const char* link;    // the first shortcut that cannot be saved
    size_t savedBefore;  // shortcuts saved before it
  } cases[] = {
      {"c:\\users\\test\\Desktop", "c:\\users\\test\\Desktop\\Orbivue.lnk", 1},
      {"c:\\users\\test\\Start Menu\\Programs",
       "c:\\users\\test\\Start Menu\\Programs\\Orbivue\\Orbivue.lnk", 0},
  };
  for (const auto& c : cases) {
    TearDown();  // the sandbox of the case before goes first
    SetUp();
    ASSERT_EQ(std::system(("rm -rf '" + HostPath(c.folder) + "'").c_str()), 0);
    GiveArchive(ProductArchive());
    InstallTo("c:\\Orbivue\\");
    RunToTheEnd();
    ASSERT_EQ(hostWizard.messageBoxes.size(), 1u) << c.link;
    EXPECT_EQ(hostWizard.messageBoxes[0].text,
              std::string("Create file or directory error !\n\"") + c.link + "\"");
    EXPECT_TRUE(installChoices.aborted) << c.link;
    EXPECT_TRUE(installChoices.errorReported) << c.link;
    for (const HostDialog& dialog : hostWizard.dialogs)
      EXPECT_NE(dialog.resourceId, DIALOG_FINISH_EN) << c.link;
    EXPECT_TRUE(hostWizard.startedPrograms.empty()) << c.link;
    // The shell was asked for it, and for nothing after it.
    ASSERT_EQ(hostSystem.shortcuts.size(), c.savedBefore + 1) << c.link;
    EXPECT_EQ(hostSystem.shortcuts.back().linkPath, c.link);
    // Nothing after the shortcuts: no uninstall entry, no settings.
    EXPECT_EQ(hostSystem.registry.count(
                  "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\ORBIVUE"),
              0u)
        << c.link;
    bool exists = true;
    ReadHostFile("c:\\Orbivue\\Orbivue.ini", &exists);
    EXPECT_FALSE(exists) << c.link;
    // The files stay listed, and so does the shortcut tried last.
    const std::vector<std::string> log = Lines("c:\\Orbivue\\Uninstall.ini");
    ASSERT_FALSE(log.empty()) << c.link;
    EXPECT_EQ(log.back().substr(log.back().find('=') + 1), c.link);
    EXPECT_EQ(ReadHostFile("c:\\Orbivue\\uninstall.exe"), "uninstaller");
  }
}

}  // namespace
