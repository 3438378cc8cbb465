// Dialogs and their controls.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/shown_text.h"
#include "platform/win32/win32_handles.h"

INT_PTR CALLBACK FrameProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

namespace {
HINSTANCE programInstance = nullptr;
}

HINSTANCE ProgramInstance() {
  return programInstance;
}

void RememberModuleInstance(ModuleInstance instance) {
  programInstance = reinterpret_cast<HINSTANCE>(instance);
}

// The dialogs are made with the wide function, so that the texts of the
// templates (stored as UTF-16) reach the controls unconverted: made with the
// ANSI one, a Russian page passes through the system's code page and is
// garbage on a Windows whose ANSI code page is not 1251.
Window CreateFrameDialog(int resourceId) {
  return ToWindow(
      CreateDialogParamW(programInstance, MAKEINTRESOURCEW(resourceId), nullptr, FrameProc, 0));
}

Window CreatePageDialog(int resourceId, Window frame) {
  return ToWindow(CreateDialogParamW(programInstance, MAKEINTRESOURCEW(resourceId), ToHwnd(frame),
                                     PageProc, 0));
}

void DestroyDialog(Window window) {
  DestroyWindow(ToHwnd(window));
}
void ShowDialog(Window window) {
  ShowWindow(ToHwnd(window), SW_SHOW);
}

void SetSmallIcon(Window window, int iconId) {
  HICON icon = LoadIconA(programInstance, MAKEINTRESOURCEA(iconId));
  SendMessageA(ToHwnd(window), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void ShowControl(Window dialog, int id, bool visible) {
  ShowWindow(GetDlgItem(ToHwnd(dialog), id), visible ? SW_SHOW : SW_HIDE);
}

void EnableControl(Window dialog, int id, bool enabled) {
  EnableWindow(GetDlgItem(ToHwnd(dialog), id), enabled);
}

namespace {
bool IsEdit(HWND control) {
  char name[16] = "";
  GetClassNameA(control, name, sizeof name);
  return lstrcmpiA(name, "Edit") == 0;
}
}  // namespace

void SetControlText(Window dialog, int id, const char* text) {
  HWND control = GetDlgItem(ToHwnd(dialog), id);
  // An edit gets the same code page that GetControlText reads back.
  if (IsEdit(control))
    SetWindowTextA(control, text);
  else
    SetWindowTextW(control, ShownText(text).Wide());
}

bool GetControlText(Window dialog, int id, char* text, int capacity) {
  if (capacity <= 0) return false;
  text[0] = '\0';
  // Read wide and converted without best fit: the ANSI function would turn
  // a character the code page lacks into a look-alike ("\uFF3C" into "\\").
  WCHAR wide[1024] = L"";
  const int room = capacity < 1024 ? capacity : 1024;
  GetDlgItemTextW(ToHwnd(dialog), id, wide, room);
  return ExactAnsiText(wide, text, capacity);
}

void LimitEditText(Window dialog, int id, int characters) {
  SendDlgItemMessageA(ToHwnd(dialog), id, EM_LIMITTEXT, characters, 0);
}

bool IsButtonChecked(Window dialog, int id) {
  return IsDlgButtonChecked(ToHwnd(dialog), id) == BST_CHECKED;
}

void CheckButton(Window dialog, int id, bool checked) {
  CheckDlgButton(ToHwnd(dialog), id, checked ? BST_CHECKED : BST_UNCHECKED);
}
