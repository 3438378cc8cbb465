// Profile text edited in memory as the profile functions edit a file.
#include "shared/profile_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProfileText, SetsKeysAsTheProfileFunctionsDoAndKeepsEveryOtherByte) {
  std::string text =
      "; the viewer's own comment\r\n"
      "[Options]\r\n"
      "  language = Russian  \r\n"
      "\r\n"
      " [ MODULES ]\n"  // another spelling, and a line break of its own
      "LastChannel=42\n"
      "\n"
      "[Window]\r\n"
      "Left=120";  // no break after the last line
  const std::string unchanged = "; the viewer's own comment\r\n[Options]\r\n";
  // In place, under the stored spelling, matched without regard to case.
  ASSERT_TRUE(SetProfileValue(&text, "Options", "Language", "English"));
  // After the section's last non-blank line, before the blank one.
  ASSERT_TRUE(SetProfileValue(&text, "Modules", "CurDeviceID", "0"));
  // A key of the last section, whose last line had no break.
  ASSERT_TRUE(SetProfileValue(&text, "window", "Top", "7"));
  // A missing section goes at the end with its key; an empty value stays a key.
  ASSERT_TRUE(SetProfileValue(&text, "SoftwareRender", "FileName", ""));
  ASSERT_TRUE(SetProfileValue(&text, "SoftwareRender", "InMemory", "1"));
  EXPECT_EQ(text, unchanged +
                      "  language=English\r\n"
                      "\r\n"
                      " [ MODULES ]\n"
                      "LastChannel=42\n"
                      "CurDeviceID=0\r\n"
                      "\n"
                      "[Window]\r\n"
                      "Left=120\r\n"
                      "Top=7\r\n"
                      "[SoftwareRender]\r\n"
                      "FileName=\r\n"
                      "InMemory=1\r\n");

  // A key that only looks like one: in a comment, or in another section.
  std::string other = "[A]\r\n;Key=1\r\n[B]\r\nKey=2\r\n";
  ASSERT_TRUE(SetProfileValue(&other, "A", "Key", "3"));
  EXPECT_EQ(other, "[A]\r\n;Key=1\r\nKey=3\r\n[B]\r\nKey=2\r\n");

  // A new file, and one that starts with a UTF-8 mark.
  std::string empty;
  ASSERT_TRUE(SetProfileValue(&empty, "Options", "Language", "English"));
  EXPECT_EQ(empty, "[Options]\r\nLanguage=English\r\n");
  std::string marked = "\xEF\xBB\xBF[Options]\r\nLanguage=Russian\r\n";
  ASSERT_TRUE(SetProfileValue(&marked, "Options", "Language", "English"));
  EXPECT_EQ(marked, "\xEF\xBB\xBF[Options]\r\nLanguage=English\r\n");

  // UTF-16, which the profile functions would read as such, is left whole.
  std::string wide("\xFF\xFE[\0O\0]\0", 8);
  const std::string wideBefore = wide;
  EXPECT_FALSE(SetProfileValue(&wide, "O", "K", "V"));
  EXPECT_EQ(wide, wideBefore);
}

}  // namespace
