// The uninstall log that a run leaves, whatever its outcome, is the file
// that the profile functions would have written record by record (the count
// read, raised and written, then the numbered value): the log is written
// whole and ahead of what it names, yet its final bytes are unchanged.
#include <algorithm>
#include <functional>

#include "install_fixture.h"
#include "platform/install_platform.h"

namespace {

class InstallLogOutcome : public InstallTest {
 protected:
  // The records of each section in the log's order, added again one at a
  // time through the profile functions into a file of their own.
  static std::string WrittenRecordByRecord(const std::string& log) {
    const char* replay = "c:\\replayed.ini";
    std::string section;
    for (const std::string& line : Lines(log)) {
      if (!line.empty() && line.front() == '[') {
        section = line.substr(1, line.size() - 2);
        continue;
      }
      const size_t eq = line.find('=');
      if (eq == std::string::npos || line.compare(0, eq, "count") == 0) continue;
      char count[20];
      ReadProfileValue(section.c_str(), "count", "0", count, sizeof count, replay);
      const std::string next = std::to_string(std::atoi(count) + 1);
      WriteProfileValue(section.c_str(), "count", next.c_str(), replay);
      EXPECT_EQ(line.substr(0, eq), next) << "records are numbered in order";
      WriteProfileValue(section.c_str(), next.c_str(), line.substr(eq + 1).c_str(), replay);
    }
    return ReadHostFile(replay);
  }

  void ExpectTheLogOfAnOutcome(const char* outcome, const std::function<void()>& run,
                               unsigned runs = 1) {
    SetUp();
    const uint64_t writes = uninstallLogWriteCount;
    run();
    bool exists = false;
    const std::string log = ReadHostFile("c:\\Orbivue\\Uninstall.ini", &exists);
    ASSERT_TRUE(exists) << outcome;
    EXPECT_GT(log.size(), 40u) << outcome;
    EXPECT_EQ(log, WrittenRecordByRecord("c:\\Orbivue\\Uninstall.ini")) << outcome;
    // Per run: ahead, the room beside it, and at most the exact log at the end.
    EXPECT_LE(uninstallLogWriteCount - writes, 3u * runs) << outcome;
    ReadHostFile("c:\\Orbivue\\Uninstall.ini.new", &exists);
    EXPECT_FALSE(exists) << outcome;
    TearDown();
  }
};

TEST_F(InstallLogOutcome, EveryOutcomeLeavesTheLogTheProfileFunctionsWouldHaveWritten) {
  ExpectTheLogOfAnOutcome("a full installation", [this] {
    GiveArchive(ProductArchive());
    InstallTo("c:\\Orbivue\\");
    RunToTheEnd();
  });
  ExpectTheLogOfAnOutcome("in Russian, both filter choices", [this] {
    GiveArchive(ProductArchive());
    ChooseRussian();
    InstallTo("c:\\Orbivue\\", 2, true, true);
    RunToTheEnd();
  });
  ExpectTheLogOfAnOutcome("Cancel during the entries", [this] {
    GiveArchive(ProductArchive());
    InstallTo("c:\\Orbivue\\");
    UserWaitsUntil([] { return Progress().position >= 6; });
    Cancel();
    RunWizard();
  });
  ExpectTheLogOfAnOutcome("a damaged entry", [this] {
    std::vector<uint8_t> bytes = ProductArchive().Bytes();
    const std::string loader(3000, 'L');
    auto at = std::search(bytes.begin(), bytes.end(), loader.begin(), loader.end());
    at[1500] ^= 0x20;
    hostWizard.archive = bytes;
    hostWizard.hasArchive = true;
    InstallTo("c:\\Orbivue\\", 2, true, false);
    RunToTheEnd();
  });
  ExpectTheLogOfAnOutcome("a file that cannot be written", [this] {
    GiveArchive(ProductArchive());
    mkdir((SandboxPath() + "/c/Orbivue").c_str(), 0777);
    mkdir((SandboxPath() + "/c/Orbivue/graphedt.exe").c_str(), 0777);
    InstallTo("c:\\Orbivue\\");
    RunToTheEnd();
  });
  ExpectTheLogOfAnOutcome(
      "a second installation",
      [this] {
        for (int run = 0; run < 2; run++) {
          GiveArchive(ProductArchive());
          InstallTo("c:\\Orbivue\\", 2, run == 0, run == 1);
          RunToTheEnd();
          ResetInstallChoices();
          for (ModuleEntry& entry : ModuleTable) entry = ModuleEntry();
          ResetHostWizard();
        }
      },
      2);
  ExpectTheLogOfAnOutcome("nested folders in any order", [this] {
    ArchiveBuilder b = ProductArchive();
    for (const char* dir : {"Docs\\more\\deep", "Docs", "Docs\\more"}) b.Entry(FolderEntry(dir));
    b.Stored("Docs\\more\\deep\\a.txt", "a");
    b.Stored("Extra\\b.txt", "b");
    GiveArchive(b);
    InstallTo("c:\\Orbivue\\");
    RunToTheEnd();
  });
  ExpectTheLogOfAnOutcome("an archive without entries", [this] {
    InstallTo("c:\\Orbivue\\");
    RunToTheEnd();
  });
}

}  // namespace
