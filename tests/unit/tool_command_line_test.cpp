// rar2tool's command line: subcommands, options before or after operands,
// "--", rar's -p and -m spellings, and one usage failure for a bad option.
#include <gtest/gtest.h>
#include <unistd.h>

#include <initializer_list>

#include "listing_format.h"
#include "options.h"
#include "progress_line.h"

namespace {

struct Parsed {
  bool run;
  int exitCode;
  ToolOptions options;
};

Parsed Parse(std::initializer_list<const char*> words) {
  std::vector<std::string> storage{"rar2tool"};
  storage.insert(storage.end(), words.begin(), words.end());
  std::vector<char*> argv;
  for (std::string& s : storage) argv.push_back(&s[0]);
  Parsed p{};
  p.exitCode = -1;
  p.run = ParseCommandLine(int(argv.size()), argv.data(), &p.options, &p.exitCode);
  return p;
}

TEST(ToolCommandLine, OptionsStandBeforeOrAfterTheOperands) {
  Parsed p = Parse({"extract", "-o", "a.rar", "out"});
  ASSERT_TRUE(p.run);
  EXPECT_EQ(p.options.command, "extract");
  EXPECT_EQ(p.options.archive, "a.rar");
  EXPECT_EQ(p.options.dir, "out");
  EXPECT_TRUE(p.options.overwrite);
  p = Parse({"extract", "a.rar", "out", "-k", "-q"});
  ASSERT_TRUE(p.run);
  EXPECT_TRUE(p.options.keep);
  EXPECT_TRUE(p.options.quiet);
  EXPECT_FALSE(p.options.overwrite);
}

TEST(ToolCommandLine, DoubleDashMakesTheRestOperands) {
  Parsed p = Parse({"pack", "-m1", "--", "-odd.rar", "-p", "folder"});
  ASSERT_TRUE(p.run);
  EXPECT_EQ(p.options.archive, "-odd.rar");
  EXPECT_EQ(p.options.paths, (std::vector<std::string>{"-p", "folder"}));
  EXPECT_EQ(p.options.pack.level, 1);
  EXPECT_FALSE(p.options.password.ask);
}

TEST(ToolCommandLine, PasswordsFollowRarsSpelling) {
  Parsed p = Parse({"test", "-psecret", "a.rar"});
  ASSERT_TRUE(p.run);
  EXPECT_TRUE(p.options.password.given);
  EXPECT_EQ(p.options.password.password, "secret");
  p = Parse({"test", "a.rar", "-p"});  // a bare -p asks; it takes no operand
  ASSERT_TRUE(p.run);
  EXPECT_TRUE(p.options.password.ask);
  EXPECT_FALSE(p.options.password.given);
  EXPECT_EQ(p.options.archive, "a.rar");
  p = Parse({"test", "--password=x y", "a.rar"});
  ASSERT_TRUE(p.run);
  EXPECT_EQ(p.options.password.password, "x y");
}

TEST(ToolCommandLine, PackMethodsSolidAndSetupLayout) {
  Parsed p = Parse({"pack", "a.rar", "dir", "-m4", "-mm-", "-s"});
  ASSERT_TRUE(p.run);
  EXPECT_EQ(p.options.pack.level, 4);
  EXPECT_EQ(p.options.pack.audio, packer::AudioChoice::Never);
  EXPECT_TRUE(p.options.pack.solid);
  p = Parse({"pack", "--setup-layout", "a.rar", "dir", "more"});
  ASSERT_TRUE(p.run);
  EXPECT_EQ(p.options.pack.level, 5);  // the setup layout's default
  EXPECT_EQ(p.options.paths.size(), 2u);
  p = Parse({"pack", "-m2", "-mm", "a.rar", "dir"});
  ASSERT_TRUE(p.run);
  EXPECT_EQ(p.options.pack.audio, packer::AudioChoice::Always);
}

TEST(ToolCommandLine, WrongCommandLinesAreUsageFailures) {
  for (auto words : {std::initializer_list<const char*>{"frobnicate"},
                     std::initializer_list<const char*>{"list"},
                     std::initializer_list<const char*>{"list", "a.rar", "b.rar"},
                     std::initializer_list<const char*>{"test", "--bogus", "a.rar"},
                     std::initializer_list<const char*>{"pack", "-m9", "a.rar", "dir"},
                     std::initializer_list<const char*>{"pack", "a.rar"},
                     std::initializer_list<const char*>{"extract", "-o", "-k", "a.rar", "d"},
                     std::initializer_list<const char*>{"test", "--password=", "a.rar"},
                     std::initializer_list<const char*>{}}) {
    const Parsed p = Parse(words);
    EXPECT_FALSE(p.run);
    EXPECT_EQ(p.exitCode, ExitUsage);
  }
}

TEST(ToolCommandLine, HelpAndVersionSucceedWithoutRunning) {
  for (auto words :
       {std::initializer_list<const char*>{"--help"}, std::initializer_list<const char*>{"-h"},
        std::initializer_list<const char*>{"pack", "--help"},
        std::initializer_list<const char*>{"--version"}}) {
    const Parsed p = Parse(words);
    EXPECT_FALSE(p.run);
    EXPECT_EQ(p.exitCode, ExitOk);
  }
}

TEST(ToolListing, TimesMethodsAndTraitsShowAsSuch) {
  EXPECT_EQ(FormatDosTime(0), "(no time)");
  EXPECT_EQ(FormatDosTime(0x5A8B6C2Du), "2025-04-11 13:33:26");
  EXPECT_EQ(FormatDosTime(0x00000001u), "(bad 0x00000001)");  // month 0
  EXPECT_EQ(MethodName(0x30), "m0");
  EXPECT_EQ(MethodName(0x35), "m5");
  EXPECT_EQ(MethodName(0x36), "0x36");
  ArchiveWalk walk;
  EXPECT_EQ(ArchiveTraits(walk), "");
  walk.solid = true;
  walk.entries.push_back(WalkedEntry{});
  walk.entries.back().flags = 0x0004;
  EXPECT_EQ(ArchiveTraits(walk), " (solid, encrypted entries: file*)");
}

TEST(ToolProgress, TheLineTellsBytesFilesSpeedAndTimeLeftAndHidesOffATerminal) {
  EXPECT_EQ(ProgressLine::Text("packing", 50000000, 200000000, 1, 40, 10.0),
            "packing: 50.0 MB of 200.0 MB, 1 of 40 files, 5.0 MB/s, 0:30 left");
  EXPECT_EQ(ProgressLine::Text("testing", 0, 1000, 0, 1, 0.0),
            "testing: 0.0 MB of 0.0 MB, 0 of 1 file");
  // Under the test runner standard error is a file or a pipe.
  if (!isatty(2)) {
    EXPECT_FALSE(ProgressLine(true, "testing", 10, 1).Shown());
  }
  EXPECT_FALSE(ProgressLine(false, "testing", 10, 1).Shown());
}

}  // namespace
