// Name matching: ASCII case, separators and underscore alike, nothing else.
#include <gtest/gtest.h>

#include <string>

#include "archive/archive_reader.h"

namespace {

TEST(EntryNames, IgnoreAsciiCaseAndSeparatorKind) {
  EXPECT_TRUE(EntryNamesEqual("Modules\\Agenda.Module", "modules\\agenda.module"));
  EXPECT_TRUE(EntryNamesEqual("Modules\\Agenda.Module", "Modules/Agenda.Module"));
  EXPECT_TRUE(EntryNamesEqual("Modules\\Agenda.Module", "Modules_Agenda.Module"));
  EXPECT_TRUE(EntryNamesEqual("a_b", "A\\B"));
}

TEST(EntryNames, WholeNameMustMatch) {
  EXPECT_FALSE(EntryNamesEqual("Orbivue.exe", "Orbivue.ex"));
  EXPECT_FALSE(EntryNamesEqual("Orbivue.ex", "Orbivue.exe"));
  EXPECT_FALSE(EntryNamesEqual("*", "Orbivue.exe"));
  EXPECT_FALSE(EntryNamesEqual("a.b", "a_b"));
}

TEST(EntryNames, BytesAbove127MatchExactly) {
  // Code page 1251: 0xC0 is CYRILLIC A, 0xE0 its lower case; not folded.
  EXPECT_TRUE(EntryNamesEqual("\xC0\xE1.txt", "\xC0\xE1.TXT"));
  EXPECT_FALSE(EntryNamesEqual("\xC0.txt", "\xE0.txt"));
}

TEST(EntryNames, LongNamesAreComparedWithinTheWorkBuffer) {
  const std::string a(2000, 'a'), b(2000, 'A');
  EXPECT_TRUE(EntryNamesEqual(a.c_str(), b.c_str()));
}

}  // namespace
