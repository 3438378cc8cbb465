// The program's texts on their way to the wide functions of Windows. The
// program keeps its texts as 8-bit characters: the Russian ones in code page
// 1251 whatever the system's ANSI code page is, the English ones plain ASCII
// (among which a path may stand, in the ANSI code page). Converting them
// explicitly lets both languages read right on any system.
#pragma once

#include <windows.h>

// The code page of the texts being shown: 1251 for Russian, the system's
// ANSI code page for English.
UINT ShownTextCodePage();

// A text of the program as UTF-16, in a fixed buffer; a text longer than the
// buffer is cut (the program's texts are far shorter).
class ShownText {
 public:
  explicit ShownText(const char* text);
  const WCHAR* Wide() const { return wide_; }

 private:
  WCHAR wide_[1024];
};

// A wide text of the system (an edit's, a folder's) in the ANSI code page,
// into text (capacity bytes with the zero). False, with text empty, when a
// character has no exact form there: a best fit ("\uFF3C" as "\\") would
// be another path than the one shown.
bool ExactAnsiText(const WCHAR* wide, char* text, int capacity);
