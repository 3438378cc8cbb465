// A small window program that stands in for one of the product's tools
// (GraphEdit, the uninstaller). It notes its start as <name>-started.txt in
// its own folder and shows a window titled after it.
#include <windows.h>

#include <cstdio>
#include <cstring>

#ifndef PROGRAM_TITLE
#error PROGRAM_TITLE must name the program
#endif
#ifndef PROGRAM_NOTE
#error PROGRAM_NOTE must name the start note
#endif

namespace {

LRESULT CALLBACK ProgramProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r;
    GetClientRect(window, &r);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextA(dc, PROGRAM_TITLE " (demo product)", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(window, &ps);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  char path[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) n = 0;
  path[n] = '\0';
  char* slash = std::strrchr(path, '\\');
  if (slash != nullptr) slash[1] = '\0';
  char note[MAX_PATH + 64];
  std::snprintf(note, sizeof note, "%s%s", path, PROGRAM_NOTE);
  if (FILE* f = std::fopen(note, "wb")) {
    std::fputs(PROGRAM_TITLE " started\r\n", f);
    std::fclose(f);
  }
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ProgramProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "OrbivueDemoProgram";
  RegisterClassA(&wc);
  HWND window =
      CreateWindowA("OrbivueDemoProgram", PROGRAM_TITLE, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                    CW_USEDEFAULT, 360, 160, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, show);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
