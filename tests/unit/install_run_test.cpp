// A whole installation: files, the uninstall record, shortcuts, the
// uninstall entry, filter registrations, the configuration file, and the
// progress bar; then the ways a run ends early.
#include <algorithm>

#include "answers/module_table.h"
#include "archive/setup_reader.h"
#include "install/uninstall_entry.h"
#include "install_fixture.h"
#include "pack_support.h"
#include "release/release_identity.h"
#include "unpack/unpack_entry.h"

namespace {

using InstallRun = InstallTest;

TEST_F(InstallRun, DefaultInstallationWritesEveryWantedFileAndTheRecords) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  for (const auto& [name, contents] : ProductFiles()) {
    bool exists = false;
    const std::string got = ReadHostFile("c:\\Orbivue\\" + name, &exists);
    const bool skipped =
        name.find("IrBridge") != std::string::npos || name.find("Beacon") != std::string::npos;
    EXPECT_EQ(exists, !skipped) << name;
    if (!skipped) {
      EXPECT_EQ(got, contents) << name;
    }
  }
  const std::vector<std::string> expected = {
      "[Dirs]",
      "count=8",
      "1=c:\\Orbivue\\",
      "2=c:\\Orbivue\\Modules",
      "3=c:\\Orbivue\\Modules\\boot",
      "4=c:\\Orbivue\\Modules\\boot\\24",
      "5=c:\\Orbivue\\Filters",
      "6=c:\\users\\test\\Start Menu\\Programs\\Orbivue\\",
      "7=c:\\users\\test\\Start Menu\\Programs\\Orbivue\\",
      "8=c:\\users\\test\\Start Menu\\Programs\\Orbivue\\",
      "[Files]",
      "count=14",
      "1=c:\\Orbivue\\Orbivue.exe",
      "2=c:\\Orbivue\\uninstall.exe",
      "3=c:\\Orbivue\\graphedt.exe",
      "4=c:\\Orbivue\\Filters\\mpgdec.ax",
      "5=c:\\Orbivue\\Filters\\mlcom.ax",
      "6=c:\\Orbivue\\Filters\\thsource.ax",
      "7=c:\\Orbivue\\Modules\\Agenda.Module",
      "8=c:\\Orbivue\\Modules\\SatCardB.Device",
      "9=c:\\Orbivue\\Modules\\boot\\24\\loader.bin",
      "10=c:\\Orbivue\\Modules\\boot\\empty.bin",
      "11=c:\\users\\test\\Start Menu\\Programs\\Orbivue\\Orbivue.lnk",
      "12=c:\\users\\test\\Desktop\\Orbivue.lnk",
      "13=c:\\users\\test\\Start Menu\\Programs\\Orbivue\\Uninstall.lnk",
      "14=c:\\users\\test\\Start Menu\\Programs\\Orbivue\\GraphEdit.lnk"};
  EXPECT_EQ(Lines("c:\\Orbivue\\Uninstall.ini"), expected);
  EXPECT_EQ(installChoices.step, StepEnd);
  EXPECT_FALSE(installChoices.aborted);
}

TEST_F(InstallRun, ProgressRunsFromOneToEntriesPlusTwo) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  const int n = 4 + int(ProductFiles().size());
  EXPECT_EQ(Progress().rangeMaximum, n + 2);
  ASSERT_EQ(Progress().positions.size(), size_t(n + 2));
  for (int i = 0; i < n + 2; i++) EXPECT_EQ(Progress().positions[size_t(i)], i + 1);
}

// A bar of thousands of entries is told only the positions that move it by
// a thousandth of its range, ever forwards, and its last; Cancel is still
// seen after the entry in progress, whether or not the bar moved for it.
TEST_F(InstallRun, ALargeProductMovesTheBarInThousandthsAndStillStopsAtCancel) {
  ArchiveBuilder b = ProductArchive();
  for (int i = 0; i < 2500; i++) b.Stored("Data\\" + std::to_string(i) + ".txt", "x");
  GiveArchive(b);
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  const int range = 4 + int(ProductFiles().size()) + 2500 + 2;
  const std::vector<int>& shown = Progress().positions;
  EXPECT_EQ(Progress().rangeMaximum, range);
  EXPECT_GE(shown.size(), 999u);
  EXPECT_LE(shown.size(), 1001u);
  EXPECT_EQ(shown.back(), range);
  for (size_t i = 1; i < shown.size(); i++) {
    EXPECT_GT(shown[i], shown[i - 1]);
    EXPECT_LE(shown[i] - shown[i - 1], range / 1000 + 1);
  }

  SetUp();
  GiveArchive(b);
  InstallTo("c:\\Orbivue\\");
  static int pumps;
  pumps = 0;
  UserWaitsUntil([] { return ++pumps == 1500; });  // a pump after an entry
  Cancel();
  RunWizard();
  EXPECT_EQ(installChoices.step, StepEnd);
  int made = 0;
  for (int i = 0; i < 2500; i++) {
    bool exists = false;
    ReadHostFile("c:\\Orbivue\\Data\\" + std::to_string(i) + ".txt", &exists);
    made += exists;
  }
  EXPECT_GT(made, 1000);
  EXPECT_LT(made, 1600);
}

TEST_F(InstallRun, ShortcutsTargetTheShortFormAndStartInItsFolder) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Program Files\\Orbivue\\");
  RunToTheEnd();
  ASSERT_EQ(hostSystem.shortcuts.size(), 4u);
  const HostShortcut* s = hostSystem.shortcuts.data();
  EXPECT_EQ(s[0].target, "c:\\PROGRA~1\\Orbivue\\Orbivue.exe");
  EXPECT_EQ(s[0].workingFolder, "c:\\PROGRA~1\\Orbivue");
  EXPECT_EQ(s[0].description, "");
  EXPECT_TRUE(s[0].argumentsSet);
  EXPECT_EQ(s[0].arguments, "");
  EXPECT_EQ(s[0].linkPath, "c:\\users\\test\\Start Menu\\Programs\\Orbivue\\Orbivue.lnk");
  EXPECT_EQ(s[1].linkPath, "c:\\users\\test\\Desktop\\Orbivue.lnk");
  EXPECT_EQ(s[1].target, s[0].target);
  EXPECT_TRUE(s[1].argumentsSet);
  EXPECT_EQ(s[2].target, "c:\\PROGRA~1\\Orbivue\\Uninstall.exe");
  EXPECT_FALSE(s[2].argumentsSet);
  EXPECT_EQ(s[3].linkPath, "c:\\users\\test\\Start Menu\\Programs\\Orbivue\\GraphEdit.lnk");
  EXPECT_FALSE(s[3].argumentsSet);
  for (const HostShortcut& link : hostSystem.shortcuts) EXPECT_EQ(link.iconIndex, 0);
  EXPECT_EQ(hostSystem.comInitialisations, 1);
}

TEST_F(InstallRun, UninstallEntryNamesTheUninstallerVerbatimWithoutABlank) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue");
  RunToTheEnd();
  const auto& key =
      hostSystem.registry["SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\ORBIVUE"];
  EXPECT_EQ(key.at("DisplayName"), "Orbivue");
  EXPECT_EQ(key.at("UninstallString"), "c:\\Orbivue\\Uninstall.exe");
}

// Unquoted, "c:\Program Files\..." would start c:\Program.exe when there is one.
TEST_F(InstallRun, UninstallEntryQuotesTheUninstallerWhenItsPathHoldsABlank) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Program Files\\Orbivue");
  RunToTheEnd();
  const auto& key =
      hostSystem.registry["SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\ORBIVUE"];
  EXPECT_EQ(key.at("UninstallString"), "\"c:\\Program Files\\Orbivue\\Uninstall.exe\"");
}

// What the list of installed programs shows and what administrators'
// detection rules read: version, publisher, icon, folder, size, the silent
// uninstall, and no Change or Repair that would do nothing.
TEST_F(InstallRun, UninstallEntryDescribesTheInstalledProduct) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Program Files\\Orbivue");
  RunToTheEnd();
  const auto& key =
      hostSystem.registry["SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\ORBIVUE"];
  EXPECT_EQ(key.at("DisplayVersion"), RELEASE_VERSION_TEXT);
  EXPECT_EQ(key.at("Publisher"), "Orbivue");
  EXPECT_EQ(key.at("DisplayIcon"), "c:\\Program Files\\Orbivue\\Orbivue.exe,0");
  EXPECT_EQ(key.at("InstallLocation"), "c:\\Program Files\\Orbivue\\");
  EXPECT_EQ(key.at("QuietUninstallString"), "\"c:\\Program Files\\Orbivue\\Uninstall.exe\" /S");
  EXPECT_EQ(key.at("NoModify"), "dword:1");
  EXPECT_EQ(key.at("NoRepair"), "dword:1");
  EXPECT_EQ(key.size(), 10u);
}

// Only what is written counts: the modules left out (IrBridge, Beacon)
// and the folders do not.
TEST_F(InstallRun, UninstallEntrySizeCountsTheInstalledFilesInKilobytesRoundedUp) {
  ArchiveBuilder b(0x0008);
  for (const char* dir : {"Modules\\boot\\24", "Modules\\boot", "Modules", "Filters"})
    b.Entry(FolderEntry(dir));
  b.Stored("Orbivue.exe", std::string(2048, 'v'));
  b.Stored("uninstall.exe", std::string(1, 'u'));
  b.Stored("Modules\\Beacon.Module", std::string(50000, 'b'));
  b.Stored("Modules\\IrBridge.Module", std::string(50000, 'i'));
  GiveArchive(b);
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  const auto& key =
      hostSystem.registry["SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\ORBIVUE"];
  EXPECT_EQ(key.at("EstimatedSize"), "dword:3");  // 2049 bytes
}

TEST_F(InstallRun, UninstallEntrySizeIsZeroForNothingAndCountsEveryStartedKilobyte) {
  FillModuleTable(English);  // IrBridge and Beacon start unticked
  EXPECT_EQ(InstalledKilobytes(nullptr), 0u);
  char a[] = "Orbivue.exe", b[] = "Filters", c[] = "graphedt.exe", d[] = "Modules\\Beacon.Module";
  EntryListNode left{d, 21, 0, 999999, 2, 0, 0, 20, 0x35, 0x20, nullptr};
  EntryListNode third{c, 12, 0, 1024, 2, 0, 0, 20, 0x35, 0x20, &left};
  EntryListNode folder{b, 7, 0, 4096, 2, 0, 0, 20, 0x35, 0x10, &third};
  EntryListNode first{a, 11, 0, 1, 2, 0, 0, 20, 0x35, 0x20, &folder};
  EXPECT_EQ(InstalledKilobytes(&third), 1u);
  EXPECT_EQ(InstalledKilobytes(&first), 2u);  // 1025 bytes: no folder, no unticked module
  third.unpackedSize = 0xFFFFFFFF;
  first.unpackedSize = 0xFFFFFFFF;
  EXPECT_EQ(InstalledKilobytes(&first), 8388608u);  // beyond 32 bits of bytes
}

// The platform gets the viewer's path as the program to start, never a
// command line in which "c:\Program" could be read as the program.
TEST_F(InstallRun, TheViewerIsStartedByItsFullPathInAFolderWithBlanks) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Program Files\\Orbivue\\");
  RunToTheEnd();
  EXPECT_EQ(hostWizard.startedPrograms,
            std::vector<std::string>{"c:\\Program Files\\Orbivue\\Orbivue.exe"});
}

TEST_F(InstallRun, ChosenFiltersAreRegisteredInOrderAndRecorded) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\My Product\\", 2, true, true);
  RunToTheEnd();
  EXPECT_EQ(hostSystem.processes,
            (std::vector<std::string>{
                "c:\\windows\\system32\\regsvr32 /s \"c:\\My Product\\Filters\\mpgdec.ax\"",
                "c:\\windows\\system32\\regsvr32 /s \"c:\\My Product\\Filters\\mlcom.ax\"",
                "c:\\windows\\system32\\regsvr32 /s \"c:\\My Product\\Filters\\thsource.ax\""}));
  std::vector<std::string> lines = Lines("c:\\My Product\\Uninstall.ini");
  std::vector<std::string> filters(std::find(lines.begin(), lines.end(), "[Filters]"), lines.end());
  EXPECT_EQ(filters,
            (std::vector<std::string>{
                "[Filters]", "count=3", "1=c:\\My Product\\Filters\\mpgdec.ax",
                "2=c:\\My Product\\Filters\\mlcom.ax", "3=c:\\My Product\\Filters\\thsource.ax"}));
}

TEST_F(InstallRun, OnlyTheTwinHanSourceWhenOnlyItIsChosen) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\", 2, false, true);
  RunToTheEnd();
  ASSERT_EQ(hostSystem.processes.size(), 1u);
  EXPECT_NE(hostSystem.processes[0].find("thsource.ax"), std::string::npos);
}

TEST_F(InstallRun, ConfigurationFileHoldsTheEightKeys) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  EXPECT_EQ(Lines("c:\\Orbivue\\Orbivue.ini"),
            (std::vector<std::string>{
                "[Options]", "Language=English", "[Modules]", "CurDeviceFile=SatCardB.Device",
                "CurDeviceID=0", "StartDevice=1", "[SoftwareRender]", "BufferSize=10", "InMemory=1",
                "FileName=c:\\Orbivue\\timeshift.dat", "[DisabledModules]", "Beacon.Module=1"}));
}

TEST_F(InstallRun, OverAnEarlierInstallationOnlyTheEightKeysChange) {
  GiveArchive(ProductArchive());
  mkdir((SandboxPath() + "/c/Orbivue").c_str(), 0777);
  {
    FILE* f = fopen((SandboxPath() + "/c/Orbivue/Orbivue.ini").c_str(), "wb");
    fputs("[Options]\r\nLanguage=Russian\r\nVolume=7\r\n[Window]\r\nLeft=10\r\n", f);
    fclose(f);
  }
  InstallTo("c:\\Orbivue\\", 10);
  RunToTheEnd();
  std::vector<std::string> lines = Lines("c:\\Orbivue\\Orbivue.ini");
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
            (std::vector<std::string>{"[Options]", "Language=English", "Volume=7", "[Window]",
                                      "Left=10"}));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "CurDeviceFile="), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "StartDevice=0"), lines.end());
}

TEST_F(InstallRun, DestinationWithoutBackslashGetsOneFirst) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue");
  RunToTheEnd();
  EXPECT_STREQ(installChoices.destinationDir, "c:\\Orbivue\\");
  EXPECT_EQ(Lines("c:\\Orbivue\\Uninstall.ini")[2], "1=c:\\Orbivue\\");
}

TEST_F(InstallRun, SecondInstallationStartsAFreshLog) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  const std::vector<std::string> first = Lines("c:\\Orbivue\\Uninstall.ini");
  ResetInstallChoices();
  for (ModuleEntry& entry : ModuleTable) entry = ModuleEntry();
  ResetHostWizard();
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  EXPECT_EQ(Lines("c:\\Orbivue\\Uninstall.ini"), first);
}

TEST_F(InstallRun, CancelDuringTheEntriesStopsBeforeTheNext) {
  GiveArchive(ProductArchive());
  InstallTo("c:\\Orbivue\\");
  // The person presses Cancel while the fourth entry is being made; the
  // press is seen at the pump after it.
  UserWaitsUntil([] { return Progress().position >= 3; });
  Cancel();
  RunWizard();
  EXPECT_EQ(installChoices.step, StepEnd);
  ASSERT_FALSE(hostWizard.messageBoxes.empty());
  EXPECT_EQ(hostWizard.messageBoxes.back().text, "Installation terminated by user !");
  EXPECT_EQ(Progress().positions.back(), 4);
  EXPECT_TRUE(hostSystem.shortcuts.empty());
  EXPECT_TRUE(hostSystem.processes.empty());
  EXPECT_EQ(
      hostSystem.registry.count("SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\ORBIVUE"),
      0u);
  bool exists = true;
  ReadHostFile("c:\\Orbivue\\Orbivue.ini", &exists);
  EXPECT_FALSE(exists);
  // The log lists exactly the folders made: the four fixed ones (which the
  // first three directory entries name again) and Filters.
  std::vector<std::string> log = Lines("c:\\Orbivue\\Uninstall.ini");
  EXPECT_EQ(log[1], "count=5");
  EXPECT_EQ(std::find(log.begin(), log.end(), "[Files]"), log.end());
}

TEST_F(InstallRun, DamagedEntryStopsWithTheExtractMessage) {
  ArchiveBuilder b = ProductArchive();
  std::vector<uint8_t> bytes = b.Bytes();
  // The loader's contents no longer match its CRC.
  const std::string loader(3000, 'L');
  auto at = std::search(bytes.begin(), bytes.end(), loader.begin(), loader.end());
  ASSERT_NE(at, bytes.end());
  at[1500] ^= 0x20;
  hostWizard.archive = bytes;
  hostWizard.hasArchive = true;
  // An earlier installation's loader stands in the entry's place.
  mkdir((SandboxPath() + "/c/Orbivue").c_str(), 0777);
  mkdir((SandboxPath() + "/c/Orbivue/Modules").c_str(), 0777);
  mkdir((SandboxPath() + "/c/Orbivue/Modules/boot").c_str(), 0777);
  mkdir((SandboxPath() + "/c/Orbivue/Modules/boot/24").c_str(), 0777);
  FILE* earlier = fopen((SandboxPath() + "/c/Orbivue/Modules/boot/24/loader.bin").c_str(), "wb");
  ASSERT_NE(earlier, nullptr);
  fputs("earlier loader", earlier);
  fclose(earlier);
  ChooseRussian();
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_EQ(hostWizard.messageBoxes[0].text,
            Ansi("Ошибка при распаковке файла. Возможно, инсталлятор повреждён."));
  EXPECT_TRUE(installChoices.aborted);
  EXPECT_TRUE(installChoices.errorReported);
  EXPECT_TRUE(hostSystem.shortcuts.empty());
  bool exists = true;
  ReadHostFile("c:\\Orbivue\\Modules\\boot\\24\\loader.bin", &exists);
  EXPECT_FALSE(exists);  // nothing of the wrong bytes under the entry's name
  EXPECT_EQ(ReadHostFile("c:\\Orbivue\\Orbivue.exe"), "viewer program");
}

TEST_F(InstallRun, FileThatCannotBeWrittenStopsWithItsQuotedPath) {
  GiveArchive(ProductArchive());
  mkdir((SandboxPath() + "/c/Orbivue").c_str(), 0777);
  const std::string blocked = SandboxPath() + "/c/Orbivue/graphedt.exe";
  FILE* f = fopen(blocked.c_str(), "wb");
  fclose(f);
  chmod(blocked.c_str(), 0444);
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_EQ(hostWizard.messageBoxes[0].text,
            "Create file or directory error !\n\"c:\\Orbivue\\graphedt.exe\"");
  EXPECT_TRUE(installChoices.errorReported);
  std::vector<std::string> log = Lines("c:\\Orbivue\\Uninstall.ini");
  EXPECT_EQ(log.back(), "3=c:\\Orbivue\\graphedt.exe");  // listed although not written
  EXPECT_TRUE(hostSystem.shortcuts.empty());
}

TEST_F(InstallRun, EntryNamesThatLeaveTheDestinationAreNeverWritten) {
  for (const char* name : {"..\\evil.txt", "Modules\\..\\..\\evil.txt", "c:\\evil.txt",
                           "\\evil.txt", "/evil.txt", "a:b"}) {
    SetUp();
    ArchiveBuilder b = ProductArchive();
    b.Stored(name, "evil");
    GiveArchive(b);
    InstallTo("c:\\Orbivue\\");
    RunToTheEnd();
    ASSERT_EQ(hostWizard.messageBoxes.size(), 1u) << name;
    EXPECT_EQ(hostWizard.messageBoxes[0].text, "Extract file error !");
    bool exists = true;
    ReadHostFile("c:\\evil.txt", &exists);
    EXPECT_FALSE(exists) << name;
    ReadHostFile("c:\\Orbivue\\evil.txt", &exists);
    EXPECT_FALSE(exists) << name;
    TearDown();
  }
}

TEST_F(InstallRun, WithoutAnArchiveTheClosingStepsStillRun) {
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  EXPECT_EQ(Progress().rangeMaximum, 2);
  EXPECT_EQ(hostSystem.shortcuts.size(), 4u);
  bool exists = false;
  ReadHostFile("c:\\Orbivue\\Orbivue.ini", &exists);
  EXPECT_TRUE(exists);
}

TEST_F(InstallRun, SolidCompressedProductIsDecodedAboutOnceWhateverTheModules) {
  // The product's shape packed as the embedded archive is: solid,
  // compressed, folders first; with contents large enough to matter.
  std::vector<packer::PackItem> items;
  for (const char* dir : {"Modules\\boot\\24", "Modules\\boot", "Modules", "Filters"})
    items.push_back(FolderItem(dir));
  uint64_t payload = 0, seed = 0;
  for (const auto& [name, ignored] : ProductFiles()) {
    seed++;
    items.push_back(FileItem(name, seed % 3 == 0 ? SoundData(40000 + seed * 3000, 2, seed)
                                                 : TextData(60000 + seed * 7000, seed)));
    payload += items.back().data.size();
  }
  packer::ArchiveSettings settings;
  settings.setupLayout = true;
  hostWizard.archive = PackOrFail(items, settings);
  hostWizard.hasArchive = true;
  const uint64_t before = setupArchiveReader.decoder.decodedBytes;
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  const uint64_t decoded = setupArchiveReader.decoder.decodedBytes - before;
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  for (const packer::PackItem& item : items) {
    if (item.directory) continue;
    bool exists = false;
    const std::string got = ReadHostFile("c:\\Orbivue\\" + item.name, &exists);
    const bool skipped = item.name.find("IrBridge") != std::string::npos ||
                         item.name.find("Beacon") != std::string::npos;
    EXPECT_EQ(exists, !skipped) << item.name;
    if (!skipped) {
      EXPECT_TRUE(got == std::string(item.data.begin(), item.data.end())) << item.name;
    }
  }
  // Every entry, wanted or passed over, is decoded once: no more than 5%
  // above the product's own size.
  EXPECT_GE(decoded, payload);
  EXPECT_LE(double(decoded), 1.05 * double(payload));
}

}  // namespace
