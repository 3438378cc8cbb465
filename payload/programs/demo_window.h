// What the demo product's window programs share: the folder they run from,
// and one main window with its message loop.
#pragma once

#include <windows.h>

#include <cstring>

// The program's own folder with its trailing backslash (empty when unknown).
inline void FolderOfThisProgram(char* folder, DWORD size) {
  DWORD n = GetModuleFileNameA(nullptr, folder, size);
  if (n == 0 || n >= size) n = 0;
  folder[n] = '\0';
  if (char* slash = std::strrchr(folder, '\\')) slash[1] = '\0';
}

// Shows one window of the class and title, and runs until it is closed.
inline int RunMainWindow(HINSTANCE instance, int show, const char* className, const char* title,
                         int width, int height, WNDPROC procedure) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = className;
  RegisterClassA(&wc);
  HWND window = CreateWindowA(className, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              width, height, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, show);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
