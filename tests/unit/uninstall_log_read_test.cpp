// Reading the uninstall log: records in the order of their numbers, taken
// from the keys that are there whatever "count" says, and logs that are
// missing, empty or damaged told apart.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "install_fixture.h"
#include "platform/install_platform.h"
#include "shared/log_records.h"

namespace {

using Strings = std::vector<std::string>;

Strings Records(const std::string& text) {
  return RecordsOfSection(text.data(), int(text.size()));
}
// The section text of these lines, each ending in a zero.
Strings Records(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + '\0';
  return Records(text);
}

TEST(LogSectionText, RecordsFollowTheirNumbersAndCountIsNotTrusted) {
  EXPECT_EQ(Records({"count=3", "2=b", "1=a", "3=c"}), Strings({"a", "b", "c"}));
  // Fewer records than counted, more records than counted, a count far off.
  EXPECT_EQ(Records({"count=9", "1=a"}), Strings({"a"}));
  EXPECT_EQ(Records({"count=1", "1=a", "2=b"}), Strings({"a", "b"}));
  EXPECT_EQ(Records({"count=2147483647", "1=a"}), Strings({"a"}));
  EXPECT_EQ(Records({"1=a", "7=b"}), Strings({"a", "b"}));
}

TEST(LogSectionText, OtherKeysAndSecondCopiesOfANumberArePassedOver) {
  EXPECT_EQ(Records({"1=a", "1=z", "01=y", "+2=x", "-3=w", "x=v", "2=b"}), Strings({"a", "b"}));
  EXPECT_EQ(Records({"no equals sign", "3=c"}), Strings({"c"}));
  EXPECT_EQ(Records({"99999999=a", "1000001=b", "1000000=c"}), Strings({"c"}));
}

TEST(LogSectionText, ValuesKeepTheirInsideAndLoseSurroundingBlanks) {
  EXPECT_EQ(Records({" 1 =  c:\\a b\\x=y  ", "2="}), Strings({"c:\\a b\\x=y", ""}));
}

TEST(LogSectionText, TheTextEndsAtItsLengthOrAtAnEmptyLine) {
  EXPECT_EQ(Records({"1=a", "", "2=b"}), Strings({"a"}));
  EXPECT_EQ(Records(std::string("1=abc", 5)), Strings({"abc"}));  // no zero at the end
  EXPECT_EQ(Records(std::string("1=abc", 3)), Strings({"a"}));
  EXPECT_EQ(Records(""), Strings());
}

class LogFile : public ::testing::Test {
 protected:
  HostSandbox sandbox_;
  const char* path_ = "c:\\Orbivue\\Uninstall.ini";
  void SetUp() override { CreateFolder("c:\\Orbivue"); }
  void Write(const std::string& text) { std::ofstream(HostPath(path_), std::ios::binary) << text; }
};

TEST_F(LogFile, AllThreeSectionsAreRead) {
  Write(
      "[Files]\r\ncount=1\r\n1=c:\\Orbivue\\a\r\n[Dirs]\r\ncount=1\r\n1=c:\\Orbivue\\\r\n"
      "[Filters]\r\ncount=1\r\n1=c:\\Orbivue\\Filters\\f.ax\r\n");
  LogRecords records;
  ASSERT_EQ(ReadLogRecords(path_, &records), LogState::Read);
  EXPECT_EQ(records.dirs, Strings({"c:\\Orbivue\\"}));
  EXPECT_EQ(records.files, Strings({"c:\\Orbivue\\a"}));
  EXPECT_EQ(records.filters, Strings({"c:\\Orbivue\\Filters\\f.ax"}));
}

TEST_F(LogFile, MissingEmptyAndSectionlessLogsAreToldApart) {
  LogRecords records;
  EXPECT_EQ(ReadLogRecords(path_, &records), LogState::Missing);
  Write("");
  EXPECT_EQ(ReadLogRecords(path_, &records), LogState::NoRecords);
  Write("1=c:\\Orbivue\\a\r\ncount=1\r\n[Other]\r\n1=c:\\Orbivue\\b\r\n[Files]\r\ncount=4\r\n");
  EXPECT_EQ(ReadLogRecords(path_, &records), LogState::NoRecords);
  EXPECT_TRUE(records.Empty());
  CreateFolder("c:\\Orbivue\\Folder.ini");
  EXPECT_EQ(ReadLogRecords("c:\\Orbivue\\Folder.ini", &records), LogState::Missing);
}

TEST_F(LogFile, ALogOfAnotherEncodingGivesNoRecordsOfItsOwn) {
  // UTF-16 with its byte order mark: the stand-in reads no section in it.
  std::string text = "\xff\xfe";
  for (char c : std::string("[Files]\r\n1=c:\\windows\\win.ini\r\n")) text += std::string{c, '\0'};
  Write(text);
  LogRecords records;
  EXPECT_NE(ReadLogRecords(path_, &records), LogState::Read);
  EXPECT_TRUE(records.Empty());
}

// A Files section of 1.3 MB: a product of some 9,000 files in long paths.
std::string LargeLog() {
  std::string text = "[Dirs]\r\n1=c:\\Orbivue\\\r\n[Files]\r\n";
  for (int i = 1; i <= 9000; i++)
    text +=
        std::to_string(i) + "=c:\\Orbivue\\" + std::to_string(i) + std::string(120, 'f') + "\r\n";
  return text;
}

TEST_F(LogFile, ALogTooLargeToReadWholeIsNotUsedAtAll) {
  Write(LargeLog());
  LogRecords records;
  EXPECT_EQ(ReadLogRecords(path_, &records, size_t(1) << 20), LogState::TooLarge);
  EXPECT_TRUE(records.Empty());
}

TEST_F(LogFile, ALogOfMoreThanAMegabyteIsReadWhole) {
  Write(LargeLog());
  LogRecords records;
  ASSERT_EQ(ReadLogRecords(path_, &records), LogState::Read);
  ASSERT_EQ(records.files.size(), 9000u);
  EXPECT_EQ(records.files.front(), "c:\\Orbivue\\1" + std::string(120, 'f'));
  EXPECT_EQ(records.files.back(), "c:\\Orbivue\\9000" + std::string(120, 'f'));
  EXPECT_EQ(records.dirs, Strings({"c:\\Orbivue\\"}));
}

}  // namespace
