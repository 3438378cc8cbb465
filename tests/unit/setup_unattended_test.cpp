// Setup started with arguments: the same installation as the wizard's with
// the same answers, without a window when silent, its result in the exit
// code and the log; every exit code from its cause.
#include <map>
#include <sstream>

#include "uninstall_fixture.h"
#include "wizard/unattended_run.h"

namespace {

class UnattendedSetup : public UninstallTest {
 protected:
  // The machine as an installation leaves it: files with their contents,
  // the registry, the shortcuts.
  static std::string Picture() {
    std::ostringstream s;
    for (const auto& [path, contents] : Machine())
      if (path.find("/setup.log") == std::string::npos) s << path << '=' << contents << '\n';
    for (const auto& [key, values] : hostSystem.registry)
      for (const auto& [name, value] : values) s << key << '\\' << name << '=' << value << '\n';
    for (const HostShortcut& link : hostSystem.shortcuts)
      s << link.linkPath << " -> " << link.target << ' ' << link.arguments << '\n';
    return s.str();
  }
};

TEST_F(UnattendedSetup, ASilentRunInstallsWhatTheWizardDoesWithoutAWindowAndLogsEachStep) {
  // The wizard with its own defaults: device row 0 (no timeshift page),
  // both filter sets, the modules as ticked at first.
  GiveArchive(ProductArchive());
  InstallTo("c:\\Quiet\\", 0, true, true);
  EXPECT_EQ(RunToTheEnd(), 0);
  const std::string byWizard = Picture();
  ASSERT_NE(byWizard.find("/c/Quiet/Orbivue.exe=viewer program"), std::string::npos);

  SetUp();
  GiveArchive(ProductArchive());
  hostWizard.commandLine = "/S /LOG=c:\\setup.log /D=c:\\Quiet";
  EXPECT_EQ(RunWizard(), SetupInstalled);
  EXPECT_TRUE(hostWizard.dialogs.empty());
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  EXPECT_EQ(Picture(), byWizard);

  const std::vector<std::string> log = Lines("c:\\setup.log");
  auto at = [&](const std::string& line) {
    const auto found = std::find(log.begin(), log.end(), line);
    return found == log.end() ? -1 : int(found - log.begin());
  };
  EXPECT_EQ(at("destination c:\\Quiet\\"), 0);
  EXPECT_GT(at("module Agenda.Module: installed"), 0);
  EXPECT_GT(at("module Beacon.Module: left out"), 0);
  EXPECT_GT(at("folder c:\\Quiet\\"), at("timeshift: off"));
  EXPECT_GT(at("file c:\\Quiet\\Modules\\boot\\24\\loader.bin"), at("folder c:\\Quiet\\"));
  EXPECT_GT(at("shortcut c:\\users\\test\\Desktop\\Orbivue.lnk"), 0);
  EXPECT_GT(at("uninstall entry c:\\Quiet\\Uninstall.exe"), 0);
  for (const char* filter : {"mpgdec.ax", "mlcom.ax", "thsource.ax"})
    EXPECT_GT(at(std::string("filter c:\\Quiet\\Filters\\") + filter + " (regsvr32 exit code 0)"),
              0)
        << filter;
  EXPECT_EQ(at("settings c:\\Quiet\\Orbivue.ini"), int(log.size()) - 2);
  EXPECT_EQ(log.back(), "outcome: installed (exit code 0)");

  // And it goes again as the wizard's does.
  hostUninstall.programPath = "c:\\Quiet\\uninstall.exe";
  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  EXPECT_FALSE(Exists("c:\\Quiet"));
}

// Each exit code from its cause; what the log says of it; nothing made
// where the run was refused.
TEST_F(UnattendedSetup, EachExitCodeComesFromItsCause) {
  const auto run = [this](const std::string& arguments, const std::function<void()>& before = {}) {
    SetUp();
    GiveArchive(ProductArchive());
    hostWizard.commandLine = arguments;
    if (before) before();
    return RunWizard();
  };
  const auto last = [] { return Lines("c:\\setup.log").back(); };

  EXPECT_EQ(run("/S /LOG=c:\\setup.log /X"), SetupRefused);
  EXPECT_EQ(Lines("c:\\setup.log")[0], "refused: Unknown switch: /X");
  EXPECT_TRUE(hostWizard.messageBoxes.empty());

  EXPECT_EQ(run("/S /LOG=c:\\setup.log /D=c:\\"), SetupRefused);
  EXPECT_EQ(last(), "outcome: nothing installed (exit code 2)");
  EXPECT_FALSE(Exists("c:\\Uninstall.ini"));

  // Not silent: the reason and the usage in a message box.
  EXPECT_EQ(run("/PASSIVE /DEVICE=12"), SetupRefused);
  ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_EQ(hostWizard.messageBoxes[0].text.rfind("A value is not understood: /DEVICE=12\n\n", 0),
            0u);
  EXPECT_TRUE(hostWizard.dialogs.empty());

  EXPECT_EQ(run("/?"), SetupInstalled);
  ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_EQ(hostWizard.messageBoxes[0].text, UsageText());
  EXPECT_FALSE(Exists("c:\\Orbivue"));

  EXPECT_EQ(run("/S /LOG=c:\\setup.log", [] { hostWizard.otherSetupRunning = true; }),
            SetupAlreadyRunning);
  EXPECT_EQ(last(), "outcome: another Setup is running; nothing installed (exit code 3)");
  EXPECT_FALSE(Exists("c:\\Orbivue"));

  EXPECT_EQ(run("/S /LOG=c:\\setup.log",
                [] {
                  hostWizard.archiveCheckGiven = true;
                  hostWizard.archiveCheck = 0x12345678u;
                }),
            SetupDamaged);
  EXPECT_EQ(last(), "outcome: the installer is damaged; nothing installed (exit code 4)");
  EXPECT_FALSE(Exists("c:\\Orbivue"));

  EXPECT_EQ(run("/S /LOG=c:\\setup.log",
                [] {
                  CreateFolder("c:\\Orbivue");
                  CreateFolder("c:\\Orbivue\\graphedt.exe");  // where a file must go
                }),
            SetupStepFailed);
  const std::vector<std::string> log = Lines("c:\\setup.log");
  EXPECT_EQ(log[log.size() - 2],
            "failed: Create file or directory error ! \"c:\\Orbivue\\graphedt.exe\"");
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  hostUninstall.programPath = "c:\\Orbivue\\uninstall.exe";
  EXPECT_EQ(RunUninstall(true), ExitRemoved);  // what was made goes

  // Switches without /S or /PASSIVE show the progress as /PASSIVE does.
  EXPECT_EQ(run("/D=c:\\Plain"), SetupInstalled);
  EXPECT_EQ(hostWizard.dialogs.size(), 2u);
  EXPECT_TRUE(Exists("c:\\Plain\\Orbivue.exe"));

  // /PASSIVE: the extraction page alone; its Cancel ends the run with 1.
  EXPECT_EQ(run("/PASSIVE /LOG=c:\\setup.log", [] { Cancel(); }), SetupCancelled);
  EXPECT_EQ(last(), "outcome: cancelled; what was made is in Uninstall.ini (exit code 1)");
  ASSERT_EQ(hostWizard.dialogs.size(), 2u);  // the frame and the extraction page
  EXPECT_EQ(std::next(hostWizard.dialogs.begin())->resourceId, DIALOG_EXTRACT_EN);
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  EXPECT_FALSE(Exists("c:\\Orbivue"));
}

}  // namespace
