// The uninstall log's numbering, and the host profile file behaving as
// Windows does where the program relies on it.
#include "install/uninstall_log.h"

#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "install/uninstall_entry.h"
#include "install_fixture.h"
#include "platform/host/host_system.h"
#include "platform/install_platform.h"

namespace {

class UninstallLogTest : public ::testing::Test {
 protected:
  HostSandbox sandbox_;
};

TEST_F(UninstallLogTest, RecordsAreNumberedFromOnePerSection) {
  UninstallLog log;
  log.Reset("c:\\");
  log.AddRecord("c:\\a", "Dirs");
  log.AddRecord("c:\\b", "Files");
  log.AddRecord("c:\\a", "Dirs");
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini"),
            "[Dirs]\r\ncount=2\r\n1=c:\\a\r\n2=c:\\a\r\n[Files]\r\ncount=1\r\n1=c:\\b\r\n");
}

// An earlier installation's log stays as it is until this run's first
// version replaces it, and every version lists the records carried from it
// ahead of the run's own; a path carried is not listed again. A next
// version a killed run left beside the log goes at once.
TEST_F(UninstallLogTest, AnEarlierLogIsReplacedOnlyByAVersionHoldingTheRecordsCarried) {
  const std::string earlier = "[Files]\r\ncount=1\r\n1=c:\\a\\f\r\n";
  WriteWholeFile("c:\\", "c:\\Uninstall.ini", reinterpret_cast<const uint8_t*>(earlier.data()),
                 uint32_t(earlier.size()), nullptr);
  WriteWholeFile("c:\\", "c:\\Uninstall.ini.new", reinterpret_cast<const uint8_t*>("x"), 1,
                 nullptr);
  UninstallLog log;
  log.Reset("c:\\");
  bool exists = true;
  ReadHostFile("c:\\Uninstall.ini.new", &exists);
  EXPECT_FALSE(exists);
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini"), earlier);
  log.Carry("c:\\old\\", "Dirs");
  log.Carry("c:\\a\\f", "Files");
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini"), earlier);
  log.AddRecord("c:\\A\\F", "Files");
  log.AddRecord("c:\\new", "Files");
  log.AddRecord("c:\\OLD", "Dirs");
  const std::string both =
      "[Dirs]\r\ncount=1\r\n1=c:\\old\\\r\n[Files]\r\ncount=2\r\n1=c:\\a\\f\r\n2=c:\\new\r\n";
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini"), both);
  EXPECT_TRUE(log.Settle());
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini"), both);
}

// The log is the run's own records, written whole: what another hand put
// into the file between two records does not shift the numbering.
TEST_F(UninstallLogTest, TheLogHoldsTheRunsOwnRecordsWhateverTheFileHeldBetween) {
  UninstallLog log;
  log.Reset("c:\\");
  log.AddRecord("first", "Files");
  WriteProfileValue("Files", "count", "  +4x", "c:\\Uninstall.ini");
  WriteProfileValue("Other", "key", "value", "c:\\Uninstall.ini");
  log.AddRecord("second", "Files");
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini"), "[Files]\r\ncount=2\r\n1=first\r\n2=second\r\n");
}

// Once the log stands it is never written in place: when its next version
// can't be written beside it, the record is refused, the log keeps what it
// had, and every later record is refused too, so that none is ever skipped.
TEST_F(UninstallLogTest, ARecordWhoseVersionCannotBeWrittenLeavesTheLogAsItWas) {
  UninstallLog log;
  log.Reset("c:\\");
  ASSERT_TRUE(log.AddRecord("c:\\a", "Dirs"));
  mkdir((hostSystem.sandbox + "/c/Uninstall.ini.new").c_str(), 0777);  // in the way
  EXPECT_FALSE(log.AddRecord("c:\\b", "Dirs"));
  rmdir((hostSystem.sandbox + "/c/Uninstall.ini.new").c_str());
  EXPECT_FALSE(log.AddRecord("c:\\c", "Dirs"));
  EXPECT_FALSE(log.Whole());
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini"), "[Dirs]\r\ncount=1\r\n1=c:\\a\r\n");
}

// Planned records go into the log in one version; added as planned they
// cost no write, a record off the plan is written with the rest of the plan
// kept, planned records passed over are kept until the log is settled, and
// the settled log holds exactly the records added, in their order.
TEST_F(UninstallLogTest, PlannedRecordsAreWrittenAheadOnceAndTheSettledLogIsExact) {
  UninstallLog log;
  log.Reset("c:\\");
  log.BeginPlan();
  for (const char* value : {"c:\\a", "c:\\b", "c:\\c", "c:\\d"}) log.AddRecord(value, "Files");
  log.AddRecord("c:\\e", "Dirs");
  const uint64_t writes = uninstallLogWriteCount;
  ASSERT_TRUE(log.WriteAhead());
  const std::string ahead =
      "[Files]\r\ncount=4\r\n1=c:\\a\r\n2=c:\\b\r\n3=c:\\c\r\n4=c:\\d\r\n"
      "[Dirs]\r\ncount=1\r\n1=c:\\e\r\n";
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini"), ahead);
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini.new"), ahead);  // room for the exact version
  EXPECT_EQ(uninstallLogWriteCount, writes + 2);

  EXPECT_TRUE(log.AddRecord("c:\\a", "Files"));
  EXPECT_TRUE(log.AddRecord("c:\\c", "Files"));  // b passed over: still listed
  EXPECT_EQ(uninstallLogWriteCount, writes + 2);
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini"), ahead);
  EXPECT_TRUE(log.AddRecord("c:\\x", "Files"));  // off the plan: written at once, plan kept
  EXPECT_EQ(uninstallLogWriteCount, writes + 3);
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini"),
            "[Files]\r\ncount=4\r\n1=c:\\a\r\n2=c:\\c\r\n3=c:\\x\r\n4=c:\\d\r\n"
            "[Dirs]\r\ncount=1\r\n1=c:\\e\r\n");
  EXPECT_TRUE(log.AddRecord("c:\\d", "Files"));
  EXPECT_EQ(uninstallLogWriteCount, writes + 3);

  EXPECT_TRUE(log.Settle());  // e never came
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini"),
            "[Files]\r\ncount=4\r\n1=c:\\a\r\n2=c:\\c\r\n3=c:\\x\r\n4=c:\\d\r\n");
  bool exists = true;
  ReadHostFile("c:\\Uninstall.ini.new", &exists);
  EXPECT_FALSE(exists);
}

// A run that adds every planned record writes its log once (and the room
// beside it), and settling it writes nothing more.
TEST_F(UninstallLogTest, ARunThatKeepsToItsPlanWritesItsLogOnce) {
  UninstallLog log;
  log.Reset("c:\\");
  log.BeginPlan();
  log.AddRecord("c:\\a", "Dirs");
  log.AddRecord("c:\\a\\f", "Files");
  const uint64_t writes = uninstallLogWriteCount;
  log.WriteAhead();
  log.AddRecord("c:\\a", "Dirs");
  log.AddRecord("c:\\a\\f", "Files");
  EXPECT_TRUE(log.Settle());
  EXPECT_EQ(uninstallLogWriteCount, writes + 2);
  EXPECT_EQ(ReadHostFile("c:\\Uninstall.ini"),
            "[Dirs]\r\ncount=1\r\n1=c:\\a\r\n[Files]\r\ncount=1\r\n1=c:\\a\\f\r\n");
  bool exists = true;
  ReadHostFile("c:\\Uninstall.ini.new", &exists);
  EXPECT_FALSE(exists);
}

TEST_F(UninstallLogTest, ProfileWritesReplaceInPlaceAndAppendMissingKeysToTheirSection) {
  const char* file = "c:\\test.ini";
  WriteProfileValue("A", "x", "1", file);
  WriteProfileValue("B", "y", "2", file);
  WriteProfileValue("A", "z", "3", file);  // after the last key of A, before [B]
  WriteProfileValue("a", "X", "4", file);  // case-insensitive, in place
  EXPECT_EQ(ReadHostFile(file), "[A]\r\nx=4\r\nz=3\r\n[B]\r\ny=2\r\n");
  char value[8];
  ReadProfileValue("B", "missing", "def", value, sizeof value, file);
  EXPECT_STREQ(value, "def");
  ReadProfileValue("B", "y", "def", value, 2, file);  // cut to the buffer
  EXPECT_STREQ(value, "2");
}

TEST_F(UninstallLogTest, ProfileWriteIntoAMissingFolderFails) {
  WriteProfileValue("A", "x", "1", "c:\\nowhere\\test.ini");
  bool exists = true;
  ReadHostFile("c:\\nowhere\\test.ini", &exists);
  EXPECT_FALSE(exists);
}

TEST_F(UninstallLogTest, UninstallKeyNeedsItsParentKey) {
  hostSystem.registry.clear();
  WriteUninstallEntry("c:\\Orbivue\\", 1);
  EXPECT_TRUE(hostSystem.registry.empty());
}

}  // namespace
