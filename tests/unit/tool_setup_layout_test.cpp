// What rar2tool tells of a product before the release ships: the files the
// installation relies on, paths too long below the longest destination the
// wizard accepts, names Setup cannot create, and entries in the way of the
// folders Setup needs or of the files it writes itself; every problem in
// one run, from test of a Setup.exe or of an archive of the layout's shape.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "answers/device_table.h"
#include "answers/module_table.h"
#include "archive_builder.h"
#include "header_walk.h"
#include "install/installation.h"
#include "pack_support.h"
#include "pe_builder.h"
#include "rar2tool/commands.h"
#include "rar2tool/options.h"
#include "rar2tool/setup_layout_checks.h"

namespace {

using testpe::MakePe;

// The demo product's folders, programs, filters and plug-ins, and a few of
// its data files.
std::vector<LayoutEntry> DemoProduct() {
  std::vector<LayoutEntry> entries;
  for (const char* folder : {"Modules\\boot\\24", "Modules\\boot", "Modules", "Filters", "Docs"})
    entries.push_back({folder, true});
  for (const char* file : {"uninstall.exe",
                           "Orbivue.exe",
                           "graphedt.exe",
                           "Filters\\mpgdec.ax",
                           "Filters\\mlcom.ax",
                           "Filters\\thsource.ax",
                           "Modules\\Agenda.Module",
                           "Modules\\Planner.Module",
                           "Modules\\IrBridge.Module",
                           "Modules\\Beacon.Module",
                           "Modules\\Relay.module",
                           "Modules\\SatCardA.Device",
                           "Modules\\SatCardB.Device",
                           "Modules\\SatCardC.Device",
                           "Modules\\SatCardD.Device",
                           "Modules\\SatCardE.device",
                           "Modules\\SatCardF.device",
                           "Modules\\SatCardG.Device",
                           "Modules\\SatCardH.Device",
                           "Modules\\RemoteFeed.Device",
                           "Modules\\boot\\24\\loader00.bin",
                           "Modules\\boot\\boot00.bin",
                           "Docs\\Readme.txt",
                           "Channels\\sat007.ini"})
    entries.push_back({file, false});
  return entries;
}

std::vector<std::string> Problems(const std::vector<LayoutEntry>& entries,
                                  const LayoutCheck& check = {}) {
  return SetupLayoutProblems(entries, check);
}

std::vector<LayoutEntry> With(std::vector<LayoutEntry> entries, const std::string& name,
                              bool directory = false) {
  entries.push_back({name, directory});
  return entries;
}

std::vector<LayoutEntry> Without(std::vector<LayoutEntry> entries, const std::string& name) {
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [&](const LayoutEntry& e) { return e.name == name; }),
                entries.end());
  return entries;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string Missing(const std::string& name) {
  return "missing '" + name + "', which the installation relies on";
}

TEST(ToolSetupLayout, TheDemoProductPassesCleanInAnySpelling) {
  EXPECT_EQ(Joined(Problems(DemoProduct())), "");
  std::vector<LayoutEntry> shouted = DemoProduct();
  for (LayoutEntry& e : shouted)
    std::transform(e.name.begin(), e.name.end(), e.name.begin(), ::toupper);
  EXPECT_EQ(Joined(Problems(shouted)), "");
}

TEST(ToolSetupLayout, EachFileTheInstallationReliesOnIsNamedWhenMissing) {
  for (const LayoutEntry& e : DemoProduct()) {
    if (e.directory || e.name.find(".bin") != std::string::npos || e.name.find("Docs") == 0 ||
        e.name.find("Channels") == 0)
      continue;
    EXPECT_EQ(Problems(Without(DemoProduct(), e.name)), std::vector<std::string>{Missing(e.name)});
  }
  // A folder of the name does not stand in for the file.
  EXPECT_EQ(Problems(With(Without(DemoProduct(), "graphedt.exe"), "graphedt.exe", true)),
            std::vector<std::string>{Missing("graphedt.exe")});
}

TEST(ToolSetupLayout, ThePlugInsAreThoseOfTheWizardsTables) {
  FillModuleTable(English);
  for (const ModuleEntry& module : ModuleTable) {
    const std::string name = std::string("Modules\\") + module.fileName;
    EXPECT_EQ(Problems(Without(DemoProduct(), name)), std::vector<std::string>{Missing(name)});
  }
  for (const DeviceRow& row : DeviceTable) {
    if (row.deviceFile[0] == '\0') continue;
    const std::string name = std::string("Modules\\") + row.deviceFile;
    EXPECT_EQ(Problems(Without(DemoProduct(), name)), std::vector<std::string>{Missing(name)});
  }
}

TEST(ToolSetupLayout, PathsPastTheLimitBelowTheLongestDestinationAreTooLong) {
  // 178 characters, a backslash and 80 make 259.
  const std::string fits = "Docs\\" + std::string(75, 'f');
  EXPECT_EQ(Joined(Problems(With(DemoProduct(), fits))), "");
  const std::vector<std::string> problems = Problems(With(DemoProduct(), fits + "g"));
  ASSERT_EQ(problems.size(), 1u) << Joined(problems);
  EXPECT_EQ(problems[0], "'Docs\\" + std::string(75, 'f') +
                             "g' is too long: 81 characters below the longest destination Setup "
                             "accepts (178 and a backslash) make a path of 260, past 259");

  // Folders are made by a call that takes fewer than 248 characters: 68
  // below the destination fit, 69 do not, told once for all their files.
  const std::string folder68(68, 'd'), folder69(69, 'd');
  EXPECT_EQ(Joined(Problems(With(DemoProduct(), folder68 + "\\a.txt"))), "");
  EXPECT_EQ(Joined(Problems(With(DemoProduct(), folder68, true))), "");
  std::vector<LayoutEntry> deep = With(DemoProduct(), folder69, true);
  deep = With(With(deep, folder69 + "\\a.txt"), folder69 + "\\b.txt");
  EXPECT_EQ(Problems(deep), std::vector<std::string>{
                                "folder '" + folder69 +
                                "' is too long: below the longest destination Setup accepts (178 "
                                "and a backslash) its path has 248 characters, past the 247 "
                                "Windows makes folders of"});
}

TEST(ToolSetupLayout, NamesTheInstallationCannotCreateAreEachNamedOnce) {
  const char* const bad[] = {"CON.txt",       "Docs\\aux",   "Docs\\CONIN$.log", "Docs\\lpt1.txt",
                             "ends.",         "Docs\\ends ", "a?b.txt",          "Docs\\..\\up.txt",
                             "..\\out.txt",   "\\root.txt",  "C:\\drive.txt",    "Docs/slash.txt",
                             "Docs\\\\twice", "tab\there",   "Docs\\."};
  std::vector<LayoutEntry> product = DemoProduct();
  for (const char* name : bad) product.push_back({name, false});
  const std::string text = Joined(Problems(product));
  for (const char* name : bad)
    EXPECT_NE(text.find("'" + std::string(name) + "' cannot be created by the installation: "),
              std::string::npos)
        << name << "\n"
        << text;
  EXPECT_EQ(Problems(product).size(), std::size(bad)) << text;

  // Dots inside a name, Cyrillic names and names that only begin like a
  // device's are sound.
  for (const char* good : {"Docs\\.hidden", "Docs\\a.b.c", "\xC6\xF3\xEA.txt", "CONSOLE.txt",
                           "Docs\\com10", "Docs\\nul-free.txt"})
    EXPECT_EQ(Joined(Problems(With(DemoProduct(), good))), "") << good;
}

TEST(ToolSetupLayout, EveryNameSetupRefusesToInstallIsTold) {
  for (const char* name : {"", "\\x", "/x", "a:b", "C:x", "..", "a\\..", "..\\a", "a/../b",
                           "a\\..\\b", "x\\..\\..\\y"}) {
    ASSERT_FALSE(IsSafeEntryName(name)) << name;
    EXPECT_FALSE(Problems(With(DemoProduct(), name)).empty()) << name;
  }
}

TEST(ToolSetupLayout, FilesInTheWayOfFoldersAndOfSetupsOwnFilesAreClashes) {
  struct Case {
    std::vector<LayoutEntry> extra;
    std::string line;
  };
  const Case cases[] = {
      {{{"MODULES", false}},
       "'MODULES' is a file where the installation needs a folder (Setup makes it)"},
      {{{"modules\\Boot", false}},
       "'modules\\Boot' is a file where the installation needs a folder (Setup makes it)"},
      {{{"Modules\\boot\\24", false}},
       "'Modules\\boot\\24' is a file where the installation needs a folder (Setup makes it)"},
      {{{"filters", false}},
       "'filters' is a file where the installation needs a folder (the filters are registered "
       "from it)"},
      {{{"Help", false}, {"help\\topic.txt", false}},
       "'Help' is a file where the installation needs a folder (the folder of "
       "'help\\topic.txt')"},
      {{{"Skins", true}, {"SKINS", false}},
       "'SKINS' is a file where the installation needs a folder (a folder entry)"},
      // "Папка" and "папка\x.txt": Cyrillic letters fold as Windows folds them.
      {{{"\xCF\xE0\xEF\xEA\xE0", false}, {"\xEF\xE0\xEF\xEA\xE0\\x.txt", false}},
       "'Папка' is a file where the installation needs a folder (the folder of "
       "'папка\\x.txt')"},
      {{{"uninstall.INI", false}},
       "'uninstall.INI' has the name of a file Setup writes itself in the destination"},
      {{{"Uninstall.ini.new", true}},
       "'Uninstall.ini.new' has the name of a file Setup writes itself in the destination"},
      {{{"orbivue.ini\\notes.txt", false}, {"Orbivue.ini\\more.txt", false}},
       "'orbivue.ini' has the name of a file Setup writes itself in the destination"},
      // "Жук.txt" and "жук.txt" are one file; the reader's lookup keeps them apart.
      {{{"Docs\\\xC6\xF3\xEA.txt", false}, {"Docs\\\xE6\xF3\xEA.txt", false}},
       "'Docs\\Жук.txt' and 'Docs\\жук.txt' are one name on Windows: the second replaces the "
       "first"},
  };
  for (const Case& c : cases) {
    std::vector<LayoutEntry> product = DemoProduct();
    product.insert(product.end(), c.extra.begin(), c.extra.end());
    EXPECT_EQ(Problems(product), std::vector<std::string>{c.line});
  }
  // Names the reader's lookup takes as one fail their test already.
  EXPECT_EQ(Joined(Problems(With(DemoProduct(), "docs\\readme.TXT"))), "");
}

TEST(ToolSetupLayout, EveryProblemOfAProductIsToldInOneRun) {
  std::vector<LayoutEntry> product = DemoProduct();
  for (const char* gone : {"Orbivue.exe", "Filters\\mlcom.ax", "Modules\\SatCardC.Device"})
    product = Without(product, gone);
  product = With(product, "Docs\\" + std::string(90, 'n') + ".txt");
  product = With(product, "Docs\\NUL.txt");
  product = With(Without(product, "Modules\\boot"), "Modules\\boot", false);
  const std::vector<std::string> problems = Problems(product);
  EXPECT_EQ(problems.size(), 6u) << Joined(problems);
  const std::string text = Joined(problems);
  EXPECT_EQ(problems[0], Missing("Orbivue.exe"));
  EXPECT_EQ(problems[1], Missing("Filters\\mlcom.ax"));
  EXPECT_EQ(problems[2], Missing("Modules\\SatCardC.Device"));
  EXPECT_NE(text.find("'Docs\\nnn"), std::string::npos) << text;
  EXPECT_NE(text.find("'Docs\\NUL.txt' cannot be created by the installation: a device name"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("'Modules\\boot' is a file where the installation needs a folder"),
            std::string::npos)
      << text;
}

TEST(ToolSetupLayout, APartlyReadListMissesNothingAndAJudgedTreeIsNotToldTwice) {
  LayoutCheck partial;
  partial.complete = false;
  EXPECT_EQ(Joined(Problems(Without(DemoProduct(), "Orbivue.exe"), partial)), "");
  EXPECT_EQ(Problems(With(Without(DemoProduct(), "Orbivue.exe"), "CON"), partial).size(), 1u);

  // pack has told the names Windows refuses as it read the tree; the
  // installation's own rules go further (CONIN$ is a device too).
  LayoutCheck judged;
  judged.namesJudged = true;
  std::vector<LayoutEntry> product = With(With(DemoProduct(), "Docs\\CON.txt"), "Docs\\CONIN$");
  EXPECT_EQ(Problems(product, judged),
            std::vector<std::string>{"'Docs\\CONIN$' cannot be created by the installation: a "
                                     "device name of Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9, "
                                     "CONIN$, CONOUT$)"});
}

// Archives written to a folder and tested as the command line would.
class ToolSetupLayoutCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/orbivue-layout-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
  }
  void TearDown() override { std::system(("rm -rf '" + folder_ + "'").c_str()); }

  static std::vector<packer::PackItem> Items(const std::vector<LayoutEntry>& entries) {
    std::vector<packer::PackItem> items;
    for (const LayoutEntry& e : entries)
      items.push_back(e.directory ? FolderItem(e.name) : FileItem(e.name, TextData(300, 5)));
    return items;
  }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = folder_ + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }

  // Runs test; returns its status, with what it printed on standard error.
  static int Test(const std::string& path, bool setupLayout, std::string* err) {
    ToolOptions options;
    options.archive = path;
    options.quiet = true;
    options.setupLayout = setupLayout;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = TestCommand(options);
    testing::internal::GetCapturedStdout();
    *err = testing::internal::GetCapturedStderr();
    return status;
  }

  static std::vector<uint8_t> Pack(const std::vector<LayoutEntry>& entries, bool setupLayout,
                                   int level = 5) {
    packer::ArchiveSettings settings;
    settings.setupLayout = setupLayout;
    settings.solid = true;
    settings.level = level;
    return PackOrFail(Items(entries), settings);
  }

  static std::vector<LayoutEntry> BadProduct() {
    return With(With(Without(Without(DemoProduct(), "uninstall.exe"), "Filters\\thsource.ax"),
                     "Docs\\CONIN$.txt"),
                "Filters\\more\\" + std::string(80, 'x'));
  }

  std::string folder_;
};

TEST_F(ToolSetupLayoutCommand, AnArchiveOfTheLayoutsShapeIsCheckedAndOthersOnlyWhenAsked) {
  std::string err;
  EXPECT_EQ(Test(Write("demo.rar", Pack(DemoProduct(), true)), false, &err), ExitOk);
  EXPECT_EQ(err, "");

  const std::string bad = Write("bad.rar", Pack(BadProduct(), true));
  EXPECT_EQ(Test(bad, false, &err), ExitFailed);
  EXPECT_EQ(err,
            "rar2tool: " + bad + ": " + Missing("uninstall.exe") + "\nrar2tool: " + bad + ": " +
                Missing("Filters\\thsource.ax") + "\nrar2tool: " + bad +
                ": 'Docs\\CONIN$.txt' cannot be created by the installation: a device name "
                "of Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$)\nrar2tool: " +
                bad + ": 'Filters\\more\\" + std::string(80, 'x') +
                "' is too long: 93 characters below the longest destination Setup accepts "
                "(178 and a backslash) make a path of 272, past 259\n");

  // The same product in a plain solid archive is any archive: sound.
  const std::string plain = Write("plain.rar", Pack(BadProduct(), false));
  EXPECT_EQ(Test(plain, false, &err), ExitOk) << err;
  EXPECT_EQ(err, "");
  EXPECT_EQ(Test(plain, true, &err), ExitFailed);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 4) << err;
}

TEST_F(ToolSetupLayoutCommand, ASetupExeIsAlwaysChecked) {
  // Stored, with an end block: nothing of the layout's shape but its place.
  const std::vector<uint8_t> stored = Pack(BadProduct(), false, 0);
  const std::string setup = Write("Setup.exe", MakePe("RARFILE", 105, stored));
  std::string err;
  EXPECT_EQ(Test(setup, false, &err), ExitFailed);
  EXPECT_NE(err.find("rar2tool: " + setup + ": " + Missing("uninstall.exe")), std::string::npos)
      << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 4) << err;

  const std::string demo = Write("Demo.exe", MakePe("RARFILE", 105, Pack(DemoProduct(), true)));
  EXPECT_EQ(Test(demo, false, &err), ExitOk) << err;
}

TEST_F(ToolSetupLayoutCommand, TheShapeIsSolidWithoutEndBlockAndMethod0x35Throughout) {
  auto shape = [](const std::vector<uint8_t>& bytes) {
    ArchiveWalk walk;
    EXPECT_TRUE(WalkArchive({bytes.data(), uint32_t(bytes.size()), 0}, &walk));
    return HasSetupLayoutShape(walk);
  };
  EXPECT_TRUE(shape(Pack(DemoProduct(), true)));
  EXPECT_FALSE(shape(Pack(DemoProduct(), false)));     // closed by an end block
  EXPECT_FALSE(shape(Pack(DemoProduct(), false, 0)));  // stored

  // Solid, no end block, every entry 0x35: a folder among them makes it ours.
  TestEntry folder;
  folder.name = "Modules";
  folder.method = 0x35;
  folder.attributes = 0x10;
  TestEntry file;
  file.name = "Orbivue.exe";
  file.method = 0x35;
  EXPECT_TRUE(shape(ArchiveBuilder(MainFlagSolid).Entry(folder).Entry(file).Sealed()));
  EXPECT_FALSE(shape(ArchiveBuilder(MainFlagSolid).Entry(file).Sealed()));
  EXPECT_FALSE(shape(ArchiveBuilder(0).Entry(folder).Entry(file).Sealed()));
  folder.method = 0x30;
  EXPECT_FALSE(shape(ArchiveBuilder(MainFlagSolid).Entry(folder).Entry(file).Sealed()));
}

TEST_F(ToolSetupLayoutCommand, AUnixFileThatSetupWouldTakeForAFolderIsTold) {
  // Mode 0100664: a plain file whose group write bit is the folder attribute.
  TestEntry file;
  file.name = "Docs\\notes.txt";
  file.hostSystem = 3;
  file.attributes = 0100664;
  ArchiveBuilder builder(MainFlagSolid);
  for (const packer::PackItem& item : Items(DemoProduct())) {
    TestEntry e;
    e.name = item.name;
    e.attributes = item.directory ? 0x10 : 0x20;
    if (!item.directory) e.data = item.data;
    e.unpackedSize = uint32_t(e.data.size());
    e.dataCrc = Crc32Of(e.data);
    builder.Entry(e);
  }
  const std::string path = Write("unix.rar", builder.Entry(file).Sealed());
  std::string err;
  EXPECT_EQ(Test(path, true, &err), ExitFailed);
  EXPECT_EQ(err, "rar2tool: " + path +
                     ": 'Docs\\notes.txt' is a file of its system, but Setup would make it a "
                     "folder\n");
}

}  // namespace
