// The uninstaller over a product that the installation made on the host:
// everything of it goes and nothing else, in its order; what can't go stays
// listed; records outside the product are refused; the user may decline.
#include <algorithm>

#include "uninstall_fixture.h"

namespace {

using UninstallRun = UninstallTest;

const char Group[] = "c:\\users\\test\\Start Menu\\Programs\\Orbivue\\";

TEST_F(UninstallRun, ARoundTripLeavesTheMachineAsItWasBeforeTheInstallation) {
  const auto before = Machine();
  const auto registryBefore = hostSystem.registry;
  Install("c:\\Orbivue\\", true, true);
  ASSERT_TRUE(Exists("c:\\Orbivue\\Orbivue.ini"));
  ASSERT_TRUE(EntryListed());
  EXPECT_EQ(RunUninstall(false), ExitRemoved);
  EXPECT_EQ(MachineOutsideTemp(), before);
  EXPECT_EQ(hostSystem.registry, registryBefore);
  // The program itself went to the temporary folder, to go at the restart.
  EXPECT_EQ(ReadHostFile("c:\\windows\\temp\\oun1.tmp"), "uninstaller");
  EXPECT_EQ(hostUninstall.journal.back(), "at restart c:\\windows\\temp\\oun1.tmp");
  ASSERT_EQ(hostUninstall.messages.size(), 1u);
  EXPECT_EQ(hostUninstall.messages[0],
            "Orbivue has been removed from your computer.\n"
            "Removed: 15 files, 6 folders, 3 filter registrations.\n"
            "The entry in the list of installed programs was removed.\n");
  EXPECT_FALSE(hostUninstall.messageWarnings[0]);
}

TEST_F(UninstallRun, FiltersGoBeforeFilesFilesBeforeFoldersFoldersDeepestFirst) {
  Install("c:\\Orbivue\\", true, false);
  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  const int unregister = JournalAt("unregister c:\\Orbivue\\Filters\\mpgdec.ax");
  const int filterFile = JournalAt("delete c:\\Orbivue\\Filters\\mpgdec.ax");
  const int lastFile = JournalAt("delete c:\\Orbivue\\Uninstall.ini");
  const int move = JournalAt("move c:\\Orbivue\\uninstall.exe", true);
  const int deepest = JournalAt("rmdir c:\\Orbivue\\Modules\\boot\\24");
  const int boot = JournalAt("rmdir c:\\Orbivue\\Modules\\boot");
  const int modules = JournalAt("rmdir c:\\Orbivue\\Modules");
  const int destination = JournalAt("rmdir c:\\Orbivue\\");
  const int entry = JournalAt("delete key", true);
  const int restart = JournalAt("at restart", true);
  for (int at :
       {unregister, filterFile, lastFile, move, deepest, boot, modules, destination, entry})
    EXPECT_GE(at, 0);
  EXPECT_EQ(JournalAt("unregister c:\\Orbivue\\Filters\\thsource.ax"), -1);  // never registered
  EXPECT_LT(unregister, JournalAt("unregister c:\\Orbivue\\Filters\\mlcom.ax"));
  EXPECT_LT(JournalAt("unregister c:\\Orbivue\\Filters\\mlcom.ax"), filterFile);
  EXPECT_LT(filterFile, JournalAt("delete c:\\Orbivue\\Orbivue.ini"));
  EXPECT_LT(JournalAt("delete c:\\Orbivue\\Orbivue.ini"), lastFile);
  EXPECT_LT(lastFile, move);
  EXPECT_LT(move, deepest);
  EXPECT_LT(deepest, boot);
  EXPECT_LT(boot, modules);
  EXPECT_LT(modules, destination);
  EXPECT_LT(destination, entry);
  EXPECT_LT(entry, restart);
  EXPECT_EQ(restart, int(hostUninstall.journal.size()) - 1);
  EXPECT_EQ(hostUninstall.commands[0],
            "\"c:\\windows\\system32\\regsvr32.exe\" /u /s \"c:\\Orbivue\\Filters\\mpgdec.ax\"");
}

TEST_F(UninstallRun, SilentRunShowsNothingAndTheDeclinedRunChangesNothing) {
  Install();
  const auto installed = Machine();
  hostUninstall.answerYes = false;
  EXPECT_EQ(RunUninstall(false), ExitNotRemoved);
  EXPECT_EQ(hostUninstall.questions,
            std::vector<std::string>{"Remove Orbivue and all of its components?"});
  EXPECT_TRUE(hostUninstall.messages.empty());
  EXPECT_EQ(hostUninstall.progressOpened, 0);
  EXPECT_EQ(Machine(), installed);
  EXPECT_TRUE(hostUninstall.journal.empty());
  EXPECT_TRUE(EntryListed());

  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  EXPECT_EQ(hostUninstall.questions.size(), 1u);
  EXPECT_TRUE(hostUninstall.messages.empty());
  EXPECT_EQ(hostUninstall.progressOpened, 0);
  EXPECT_FALSE(Exists("c:\\Orbivue"));
}

TEST_F(UninstallRun, TheProgressWindowRunsToItsEndAndCloses) {
  Install();
  EXPECT_EQ(RunUninstall(false), ExitRemoved);
  EXPECT_EQ(hostUninstall.progressOpened, 1);
  EXPECT_FALSE(hostUninstall.progressOpen);
  EXPECT_GT(hostUninstall.progressMaximum, 10);
  EXPECT_EQ(hostUninstall.progressPosition, hostUninstall.progressMaximum);
}

TEST_F(UninstallRun, AFileInUseStaysListedWithTheEntryAndASecondRunFinishes) {
  Install();
  hostUninstall.heldFiles = {"C:\\Orbivue\\Modules\\Agenda.Module"};
  EXPECT_EQ(RunUninstall(false), ExitLeftOver);
  EXPECT_TRUE(Exists("c:\\Orbivue\\Modules\\Agenda.Module"));
  EXPECT_TRUE(Exists("c:\\Orbivue\\uninstall.exe"));
  EXPECT_FALSE(Exists("c:\\Orbivue\\Orbivue.exe"));
  EXPECT_FALSE(Exists("c:\\Orbivue\\Modules\\boot"));
  EXPECT_FALSE(Exists(std::string(Group)));
  EXPECT_TRUE(EntryListed());
  EXPECT_EQ(JournalAt("move", true), -1);
  EXPECT_EQ(JournalAt("at restart", true), -1);
  const std::vector<std::string> expected = {"[Dirs]",
                                             "count=2",
                                             "1=c:\\Orbivue\\",
                                             "2=c:\\Orbivue\\Modules",
                                             "[Files]",
                                             "count=2",
                                             "1=c:\\Orbivue\\uninstall.exe",
                                             "2=c:\\Orbivue\\Modules\\Agenda.Module"};
  EXPECT_EQ(Lines("c:\\Orbivue\\Uninstall.ini"), expected);
  EXPECT_FALSE(Exists("c:\\Orbivue\\Uninstall.ini.new"));
  ASSERT_EQ(hostUninstall.messages.size(), 1u);
  EXPECT_NE(hostUninstall.messages[0].find("These files are in use and stay. Close the programs "
                                           "that use them and run the uninstaller again:\n"
                                           "    c:\\Orbivue\\Modules\\Agenda.Module\n"),
            std::string::npos)
      << hostUninstall.messages[0];
  EXPECT_EQ(hostUninstall.messages[0].rfind("Orbivue could not be removed completely.\n", 0), 0u);
  EXPECT_TRUE(hostUninstall.messageWarnings[0]);

  hostUninstall.heldFiles.clear();
  hostUninstall.journal.clear();
  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  EXPECT_FALSE(Exists("c:\\Orbivue"));
  EXPECT_FALSE(EntryListed());
}

TEST_F(UninstallRun, ALongListInTheMessageNamesTwelveAndCountsTheRest) {
  Install();
  const char* log = "c:\\Orbivue\\Uninstall.ini";
  for (int i = 0; i < 15; i++) {
    const std::string path = "c:\\Orbivue\\held" + std::to_string(i) + ".txt";
    PutFile(path, "x");
    WriteProfileValue("Files", std::to_string(100 + i).c_str(), path.c_str(), log);
    hostUninstall.heldFiles.push_back(path);
  }
  EXPECT_EQ(RunUninstall(false), ExitLeftOver);
  const std::string& m = hostUninstall.messages[0];
  EXPECT_NE(m.find("    c:\\Orbivue\\held11.txt\n    ... and 3 more\n"), std::string::npos) << m;
  EXPECT_EQ(m.find("held12.txt"), std::string::npos);
  // [Dirs], its count and the folder; [Files], its count, the uninstaller and the 15 held files.
  EXPECT_EQ(Lines(log).size(), 3u + 2u + 16u);
}

TEST_F(UninstallRun, AFilesRecordThatNamesAFolderIsNotAFileToDelete) {
  Install();
  WriteProfileValue("Files", "100", "c:\\Orbivue\\Modules", "c:\\Orbivue\\Uninstall.ini");
  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  EXPECT_FALSE(Exists("c:\\Orbivue"));
}

TEST_F(UninstallRun, ALogThatCantBeDeletedKeepsTheUninstallerBesideIt) {
  Install();
  hostUninstall.heldFiles = {"c:\\Orbivue\\Uninstall.ini"};
  EXPECT_EQ(RunUninstall(true), ExitLeftOver);
  EXPECT_TRUE(Exists("c:\\Orbivue\\uninstall.exe"));
  EXPECT_EQ(JournalAt("move", true), -1);
  EXPECT_TRUE(EntryListed());
  EXPECT_FALSE(Exists("c:\\Orbivue\\Orbivue.exe"));
}

TEST_F(UninstallRun, AFilterThatWontUnregisterKeepsItsFileAndItsRecord) {
  Install("c:\\Orbivue\\", true, false);
  hostUninstall.failingFilters = {"c:\\Orbivue\\Filters\\mlcom.ax"};
  EXPECT_EQ(RunUninstall(true), ExitLeftOver);
  EXPECT_TRUE(Exists("c:\\Orbivue\\Filters\\mlcom.ax"));
  EXPECT_FALSE(Exists("c:\\Orbivue\\Filters\\mpgdec.ax"));
  EXPECT_EQ(Lines("c:\\Orbivue\\Uninstall.ini"),
            std::vector<std::string>(
                {"[Dirs]", "count=2", "1=c:\\Orbivue\\", "2=c:\\Orbivue\\Filters", "[Files]",
                 "count=2", "1=c:\\Orbivue\\uninstall.exe", "2=c:\\Orbivue\\Filters\\mlcom.ax",
                 "[Filters]", "count=1", "1=c:\\Orbivue\\Filters\\mlcom.ax"}));
  hostUninstall.failingFilters.clear();
  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  EXPECT_FALSE(Exists("c:\\Orbivue"));
}

TEST_F(UninstallRun, ARegistrationThatDoesNotEndInTimeKeepsTheFilter) {
  Install("c:\\Orbivue\\", false, true);
  hostUninstall.filtersHang = true;
  EXPECT_EQ(RunUninstall(true), ExitLeftOver);
  EXPECT_TRUE(Exists("c:\\Orbivue\\Filters\\thsource.ax"));
}

TEST_F(UninstallRun, ATamperedLogTouchesNothingOutsideAndTheProductStillGoes) {
  CreateFolder("c:\\Other");
  PutFile("c:\\Other\\keep.txt", "someone else's");
  Install();
  const std::string log = "c:\\Orbivue\\Uninstall.ini";
  WriteProfileValue("Files", "100", "c:\\windows\\win.ini", log.c_str());
  WriteProfileValue("Files", "101", "c:\\Orbivue\\..\\Other\\keep.txt", log.c_str());
  WriteProfileValue("Files", "102", "C:/Other/keep.txt", log.c_str());
  WriteProfileValue("Files", "103", "\\\\?\\c:\\Other\\keep.txt", log.c_str());
  WriteProfileValue("Files", "104", "", log.c_str());
  WriteProfileValue("Dirs", "100", "c:\\Other", log.c_str());
  WriteProfileValue("Dirs", "101", "c:\\windows\\", log.c_str());
  WriteProfileValue("Filters", "1", "c:\\windows\\system32\\important.dll", log.c_str());
  PutFile("c:\\windows\\win.ini", "[fonts]\r\n");
  PutFile("c:\\windows\\system32\\important.dll", "dll");
  const auto outside = [] {
    auto m = MachineOutsideTemp();
    for (auto it = m.begin(); it != m.end();)
      it = it->first.rfind("/c/Orbivue", 0) == 0 || it->first.rfind("/c/users", 0) == 0
               ? m.erase(it)
               : std::next(it);
    return m;
  };
  const auto before = outside();
  EXPECT_EQ(RunUninstall(false), ExitRefused);
  EXPECT_EQ(outside(), before);
  EXPECT_FALSE(Exists("c:\\Orbivue"));
  EXPECT_FALSE(Exists(std::string(Group)));
  EXPECT_FALSE(EntryListed());
  EXPECT_TRUE(hostUninstall.commands.empty());
  ASSERT_EQ(hostUninstall.messages.size(), 1u);
  const std::string& m = hostUninstall.messages[0];
  EXPECT_NE(m.find("point outside Orbivue's folders and were refused:\n"
                   "    Dirs: c:\\Other\n    Dirs: c:\\windows\\\n"
                   "    Files: c:\\windows\\win.ini\n"
                   "    Files: c:\\Orbivue\\..\\Other\\keep.txt\n    Files: C:/Other/keep.txt\n"
                   "    Files: \\\\?\\c:\\Other\\keep.txt\n    Files: \n"
                   "    Filters: c:\\windows\\system32\\important.dll\n"),
            std::string::npos)
      << m;
}

TEST_F(UninstallRun, FilesOfTheUsersStayWithTheirFoldersAndAreNamed) {
  Install();
  PutFile("c:\\Orbivue\\Modules\\boot\\my-list.txt", "mine");
  EXPECT_EQ(RunUninstall(false), ExitRemoved);
  EXPECT_EQ(ReadHostFile("c:\\Orbivue\\Modules\\boot\\my-list.txt"), "mine");
  EXPECT_FALSE(Exists("c:\\Orbivue\\Modules\\boot\\24"));
  EXPECT_FALSE(Exists("c:\\Orbivue\\Modules\\boot\\empty.bin"));
  EXPECT_FALSE(Exists("c:\\Orbivue\\uninstall.exe"));
  EXPECT_FALSE(Exists("c:\\Orbivue\\Uninstall.ini"));
  EXPECT_FALSE(EntryListed());
  EXPECT_NE(hostUninstall.messages[0].find("hold files that Setup did not make:\n"
                                           "    c:\\Orbivue\\Modules\\boot\n"
                                           "    c:\\Orbivue\\Modules\n"
                                           "    c:\\Orbivue\\\n"),
            std::string::npos)
      << hostUninstall.messages[0];
}

TEST_F(UninstallRun, DuplicatesAndDamagedCountsRemoveTheRecordsThatAreThere) {
  Install();
  const char* log = "c:\\Orbivue\\Uninstall.ini";
  WriteProfileValue("Files", "count", "999999999", log);
  WriteProfileValue("Files", "50", "c:\\Orbivue\\Orbivue.exe", log);
  WriteProfileValue("Dirs", "count", "x", log);
  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  EXPECT_FALSE(Exists("c:\\Orbivue"));
}

TEST_F(UninstallRun, WithoutAUsableLogNothingIsTouched) {
  Install();
  const auto installed = [] {
    auto m = Machine();
    m.erase("/c/Orbivue/Uninstall.ini");
    return m;
  };
  const auto before = installed();
  DeleteFileIn("c:\\Orbivue\\", "c:\\Orbivue\\Uninstall.ini", nullptr);
  EXPECT_EQ(RunUninstall(false), ExitNotRemoved);
  EXPECT_TRUE(hostUninstall.questions.empty());
  ASSERT_EQ(hostUninstall.messages.size(), 1u);
  EXPECT_EQ(hostUninstall.messages[0],
            "Orbivue cannot be removed: its uninstall log was not found:\n"
            "c:\\Orbivue\\Uninstall.ini\n\nNothing was removed.");
  PutFile("c:\\Orbivue\\Uninstall.ini", "[Dirs]\r\ncount=12\r\n");
  EXPECT_EQ(RunUninstall(true), ExitNotRemoved);
  EXPECT_EQ(installed(), before);
  EXPECT_TRUE(hostUninstall.journal.empty());
  EXPECT_TRUE(EntryListed());
}

TEST_F(UninstallRun, TheEntryOfAnotherInstallationIsLeftAlone) {
  Install("c:\\First\\");
  Install("c:\\Second\\");
  hostUninstall.programPath = "c:\\First\\uninstall.exe";
  EXPECT_EQ(RunUninstall(false), ExitRemoved);
  EXPECT_FALSE(Exists("c:\\First"));
  EXPECT_TRUE(Exists("c:\\Second\\Orbivue.exe"));
  EXPECT_TRUE(EntryListed());
  EXPECT_NE(hostUninstall.messages[0].find("belongs to another installation"), std::string::npos);
}

// Setup quotes the command of a folder with blanks; it is still this
// uninstaller's entry.
TEST_F(UninstallRun, TheQuotedEntryOfAFolderWithBlanksIsRecognisedAndRemoved) {
  Install("c:\\Program Files\\Orbivue\\");
  ASSERT_TRUE(EntryListed());
  EXPECT_EQ(hostSystem.registry[HostUpper("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                                          "Uninstall\\Orbivue")]["UninstallString"],
            "\"c:\\Program Files\\Orbivue\\Uninstall.exe\"");
  EXPECT_EQ(RunUninstall(false), ExitRemoved);
  EXPECT_FALSE(EntryListed());
  EXPECT_FALSE(Exists("c:\\Program Files\\Orbivue"));
}

TEST_F(UninstallRun, AProgramThatCantMoveGoesAtTheRestartWithItsFolder) {
  Install();
  hostUninstall.programMovable = false;
  EXPECT_EQ(RunUninstall(false), ExitRemoved);
  EXPECT_TRUE(Exists("c:\\Orbivue\\uninstall.exe"));
  EXPECT_FALSE(Exists("c:\\Orbivue\\Orbivue.exe"));
  EXPECT_GE(JournalAt("at restart c:\\Orbivue\\uninstall.exe"), 0);
  EXPECT_EQ(hostUninstall.journal.back(), "at restart c:\\Orbivue\\");
  EXPECT_NE(hostUninstall.messages[0].find("removed when the computer restarts"),
            std::string::npos);
  EXPECT_EQ(hostUninstall.messages[0].find("did not make"), std::string::npos);
}

TEST_F(UninstallRun, TheLanguageIsTheViewersAndEnglishWithoutIt) {
  Install();
  WriteProfileValue("Options", "Language", "Russian", "c:\\Orbivue\\Orbivue.ini");
  hostUninstall.answerYes = false;
  RunUninstall(false);
  // "Удалить Orbivue и все его компоненты?" in code page 1251.
  EXPECT_EQ(hostUninstall.questions.back(),
            "\xd3\xe4\xe0\xeb\xe8\xf2\xfc Orbivue \xe8 \xe2\xf1\xe5 \xe5\xe3\xee "
            "\xea\xee\xec\xef\xee\xed\xe5\xed\xf2\xfb?");
  WriteProfileValue("Options", "Language", "Klingon", "c:\\Orbivue\\Orbivue.ini");
  RunUninstall(false);
  EXPECT_EQ(hostUninstall.questions.back(), "Remove Orbivue and all of its components?");
  WriteProfileValue("Options", "Language", "RUSSIAN", "c:\\Orbivue\\Orbivue.ini");
  hostUninstall.answerYes = true;
  RunUninstall(false);
  // "Orbivue удалён с вашего компьютера."
  EXPECT_EQ(hostUninstall.messages.back().rfind(
                "Orbivue \xf3\xe4\xe0\xeb\xb8\xed \xf1 \xe2\xe0\xf8\xe5\xe3\xee "
                "\xea\xee\xec\xef\xfc\xfe\xf2\xe5\xf0\xe0.\n",
                0),
            0u);
  Install();
  DeleteFileIn("c:\\Orbivue\\", "c:\\Orbivue\\Orbivue.ini", nullptr);
  hostUninstall.answerYes = false;
  RunUninstall(false);
  EXPECT_EQ(hostUninstall.questions.back(), "Remove Orbivue and all of its components?");
}

TEST_F(UninstallRun, ACancelledInstallationsPartialSetIsRemoved) {
  hostUninstall.programPath = "c:\\Orbivue\\uninstall.exe";
  const char* log = "c:\\Orbivue\\Uninstall.ini";
  for (const char* dir : {"c:\\Orbivue\\", "c:\\Orbivue\\Modules"}) {
    CreateFolder(dir);
    WriteProfileValue("Dirs", dir[11] ? "2" : "1", dir, log);
  }
  PutFile("c:\\Orbivue\\Orbivue.exe", "viewer");
  PutFile("c:\\Orbivue\\uninstall.exe", "uninstaller");
  WriteProfileValue("Files", "1", "c:\\Orbivue\\Orbivue.exe", log);
  WriteProfileValue("Files", "2", "c:\\Orbivue\\uninstall.exe", log);
  WriteProfileValue("Files", "3", "c:\\Orbivue\\graphedt.exe", log);  // never written
  EXPECT_EQ(RunUninstall(true), ExitRemoved);
  EXPECT_FALSE(Exists("c:\\Orbivue"));
  EXPECT_EQ(JournalAt("delete key", true), -1);
}

TEST(UninstallCommandLine, OnlyASlashSMakesTheRunSilent) {
  EXPECT_TRUE(IsSilentCommandLine("/S"));
  EXPECT_TRUE(IsSilentCommandLine("  /s  "));
  EXPECT_TRUE(IsSilentCommandLine("/x /S"));
  EXPECT_FALSE(IsSilentCommandLine(""));
  EXPECT_FALSE(IsSilentCommandLine("/Silent"));
  EXPECT_FALSE(IsSilentCommandLine("S"));
  EXPECT_FALSE(IsSilentCommandLine("c:\\a/S"));
}

}  // namespace
