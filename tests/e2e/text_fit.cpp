// Measures, inside Setup, the room every text of a window needs with the
// font its control draws it in, and the room the control has for it, the
// way the static and button controls lay out their texts: a static text
// wraps at its width unless it is a single-line kind; a push button draws
// inside its edges; a check box or radio button beside its box.
#include <windows.h>

#include <string>

#include "text_fit_record.h"

namespace {

// How the control lays out its text: the DrawText format and the insets
// of the text's room from the client rectangle. False for controls that
// show no text of their own (icons, bitmaps, frames, owner-drawn ones).
bool TextLayout(HWND control, HDC dc, UINT* format, RECT* inset) {
  wchar_t name[32] = L"";
  GetClassNameW(control, name, 32);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  *inset = RECT{0, 0, 0, 0};
  *format = DT_CALCRECT | DT_EXPANDTABS;
  if (lstrcmpiW(name, L"Static") == 0) {
    switch (style & SS_TYPEMASK) {
      case SS_LEFT:
      case SS_CENTER:
      case SS_RIGHT:
        *format |= DT_WORDBREAK;
        break;
      case SS_LEFTNOWORDWRAP:
      case SS_SIMPLE:
        *format |= DT_SINGLELINE;
        break;
      default:
        return false;
    }
    if (style & SS_NOPREFIX) *format |= DT_NOPREFIX;
    return true;
  }
  if (lstrcmpiW(name, L"Button") != 0 || (style & (BS_BITMAP | BS_ICON))) return false;
  *format |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
  SIZE zero = {};
  GetTextExtentPoint32W(dc, L"0", 1, &zero);
  const int edge = GetSystemMetrics(SM_CXEDGE);
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      *inset = RECT{edge, edge, edge, edge};
      return true;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
      // The box, then half a digit's width before the text.
      inset->left = GetSystemMetrics(SM_CXMENUCHECK) + zero.cx / 2;
      return true;
    case BS_GROUPBOX:
      // The caption sits in the top edge, a character's width in from each end.
      *inset = RECT{zero.cx, 0, zero.cx, 0};
      return true;
    default:
      return false;
  }
}

bool Measure(HWND control, TextFitControl* out) {
  wchar_t text[512] = L"";
  if (!IsWindowVisible(control) || GetWindowTextW(control, text, 512) <= 0) return false;
  HDC dc = GetDC(control);
  if (dc == nullptr) return false;
  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
  UINT format = 0;
  RECT inset = {};
  bool measured = TextLayout(control, dc, &format, &inset);
  if (measured) {
    RECT client = {};
    GetClientRect(control, &client);
    out->id = GetDlgCtrlID(control);
    out->roomWidth = client.right - inset.left - inset.right;
    out->roomHeight = client.bottom - inset.top - inset.bottom;
    RECT needed = {0, 0, out->roomWidth, 0};
    DrawTextW(dc, text, -1, &needed, format);
    out->neededWidth = needed.right - needed.left;
    out->neededHeight = needed.bottom - needed.top;
    lstrcpynW(out->text, text, TextFitTextChars);
  }
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return measured;
}

BOOL CALLBACK MeasureChild(HWND child, LPARAM parameter) {
  auto* record = reinterpret_cast<TextFitRecord*>(parameter);
  if (record->count < TextFitMaxControls && Measure(child, &record->controls[record->count])) {
    record->count++;
  }
  return TRUE;
}

}  // namespace

void MeasureTextsOf(HWND root) {
  std::wstring name = TextFitMemoryPrefix + std::to_wstring(GetCurrentProcessId());
  HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
  if (mapping == nullptr) return;
  auto* record = static_cast<TextFitRecord*>(
      MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(TextFitRecord)));
  if (record != nullptr) {
    HDC screen = GetDC(nullptr);
    record->dpi = GetDeviceCaps(screen, LOGPIXELSY);
    record->dpiAware = IsProcessDPIAware() ? 1 : 0;
    ReleaseDC(nullptr, screen);
    record->count = 0;
    EnumChildWindows(root, MeasureChild, reinterpret_cast<LPARAM>(record));
    // Counted last: the driver reads the record once it sees the count move.
    InterlockedIncrement(&record->measurements);
    UnmapViewOfFile(record);
  }
  CloseHandle(mapping);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK
    TextFitHookProc(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT measure = RegisterWindowMessageW(TextFitMessageName);
  if (code == HC_ACTION) {
    const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (call->message == measure) MeasureTextsOf(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
