#include "platform/win32/shown_text.h"

#include "platform/platform.h"

namespace {
// Russian until the wizard says otherwise: right for every Russian text, and
// for English texts as long as they hold no path.
UINT shownCodePage = 1251;
}  // namespace

void ShowTextsInRussian(bool russian) {
  shownCodePage = russian ? 1251 : CP_ACP;
}

UINT ShownTextCodePage() {
  return shownCodePage;
}

ShownText::ShownText(const char* text) {
  constexpr int Capacity = sizeof wide_ / sizeof wide_[0];
  int length = lstrlenA(text);
  if (length > Capacity - 1) length = Capacity - 1;  // one character per byte in these code pages
  int n =
      length == 0 ? 0 : MultiByteToWideChar(shownCodePage, 0, text, length, wide_, Capacity - 1);
  // A system without the code page still shows the text its own way.
  if (n == 0 && length > 0) n = MultiByteToWideChar(CP_ACP, 0, text, length, wide_, Capacity - 1);
  wide_[n > 0 ? n : 0] = L'\0';
}

bool ExactAnsiText(const WCHAR* wide, char* text, int capacity) {
  if (capacity <= 0) return false;
  text[0] = '\0';
  if (wide[0] == L'\0') return true;
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, text, capacity, nullptr,
                                    &usedDefault);
  if (n == 0 || usedDefault) {
    text[0] = '\0';
    return false;
  }
  return true;
}
