// The uninstaller's windows on Windows: the question, the final message and
// the progress window. The program's texts are in code page 1251 and are
// shown through the wide calls, so that the Russian ones read right whatever
// the system's code page; paths are in the system's ANSI code page.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "platform/uninstall_platform.h"
#include "platform/win32/uninstaller/uninstall_resource_ids.h"

namespace {

constexpr UINT TextCodePage = 1251;
constexpr int MessageCapacity = 8192;  // wide characters of the final message

HWND progressWindow = nullptr;

// Appends text converted from codePage; false when it did not fit.
bool AppendWide(wchar_t* buffer, int capacity, int* used, const char* text, UINT codePage) {
  const int room = capacity - *used;
  if (room <= 1 || text[0] == '\0') return text[0] == '\0';
  const int n = MultiByteToWideChar(codePage, 0, text, -1, buffer + *used, room);
  if (n == 0) {
    buffer[*used] = 0;
    return false;
  }
  *used += n - 1;  // without the zero
  return true;
}

void Widen(const char* text, wchar_t* out, int capacity) {
  int used = 0;
  out[0] = 0;
  AppendWide(out, capacity, &used, text, TextCodePage);
}

INT_PTR CALLBACK ProgressProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (progressWindow == nullptr || !IsDialogMessageW(progressWindow, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

}  // namespace

bool AskYesNo(const char* caption, const char* question) {
  wchar_t wideCaption[200], wideQuestion[600];
  Widen(caption, wideCaption, 200);
  Widen(question, wideQuestion, 600);
  return MessageBoxW(nullptr, wideQuestion, wideCaption,
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND) == IDYES;
}

void ShowUninstallMessage(const char* caption, const MessagePart* parts, int count, bool warning) {
  static wchar_t text[MessageCapacity];
  wchar_t wideCaption[200];
  Widen(caption, wideCaption, 200);
  int used = 0;
  text[0] = 0;
  for (int i = 0; i < count; i++)
    if (!AppendWide(text, MessageCapacity, &used, parts[i].text,
                    parts[i].isPath ? CP_ACP : TextCodePage))
      break;  // a message this long is cut, never overrun
  MessageBoxW(nullptr, text, wideCaption,
              MB_OK | MB_SETFOREGROUND | (warning ? MB_ICONWARNING : MB_ICONINFORMATION));
}

void OpenProgressWindow(const char* caption, const char* text) {
  progressWindow =
      CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(UNINSTALL_PROGRESS_DIALOG),
                         nullptr, ProgressProc, 0);
  if (progressWindow == nullptr) return;
  wchar_t wide[600];
  Widen(caption, wide, 600);
  SetWindowTextW(progressWindow, wide);
  Widen(text, wide, 600);
  SetDlgItemTextW(progressWindow, UNINSTALL_PROGRESS_TEXT, wide);
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(UNINSTALL_ICON));
  SendMessageW(progressWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  SendMessageW(progressWindow, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ShowWindow(progressWindow, SW_SHOW);
  UpdateWindow(progressWindow);
  Pump();
}

void SetProgressWindow(int position, int maximum) {
  if (progressWindow == nullptr) return;
  HWND bar = GetDlgItem(progressWindow, UNINSTALL_PROGRESS_BAR);
  SendMessageW(bar, PBM_SETRANGE32, 0, maximum);
  SendMessageW(bar, PBM_SETPOS, position, 0);
  UpdateWindow(progressWindow);
  Pump();
}

void CloseProgressWindow() {
  if (progressWindow != nullptr) DestroyWindow(progressWindow);
  progressWindow = nullptr;
  Pump();
}
