// The frame's and the pages' dialog procedures: Win32 glue that turns a
// message into a call of the wizard's handler.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_handles.h"

INT_PTR CALLBACK FrameProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnFrameInit(ToWindow(dialog));
      return TRUE;
    case WM_COMMAND:
      return OnFrameCommand(LOWORD(wParam)) ? TRUE : FALSE;
    case WM_CLOSE:
      OnFrameClose();
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnPageInit(ToWindow(dialog));
      return TRUE;  // the platform sets the default focus
    case WM_COMMAND:
      return OnPageCommand(ToWindow(dialog), LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_CLOSE:
      return TRUE;  // a page is closed only with its frame
    default:
      return FALSE;
  }
}
