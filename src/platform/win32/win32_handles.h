// Conversions between the seam's opaque handles and the Win32 ones.
#pragma once

#include <windows.h>

#include "platform/platform.h"

inline HWND ToHwnd(Window window) {
  return reinterpret_cast<HWND>(window);
}
inline Window ToWindow(HWND hwnd) {
  return reinterpret_cast<Window>(hwnd);
}

// The program's module, remembered by RunSetup.
HINSTANCE ProgramInstance();
