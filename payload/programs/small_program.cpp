// A small window program that stands in for one of the product's tools
// (GraphEdit, the uninstaller). It notes its start as <name>-started.txt in
// its own folder and shows a window titled after it.
#include <cstdio>
#include <cstring>

#include "demo_window.h"

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
  FolderOfThisProgram(path, MAX_PATH);
  char note[MAX_PATH + 64];
  std::snprintf(note, sizeof note, "%s%s", path, PROGRAM_NOTE);
  if (FILE* f = std::fopen(note, "wb")) {
    std::fputs(PROGRAM_TITLE " started\r\n", f);
    std::fclose(f);
  }
  return RunMainWindow(instance, show, "OrbivueDemoProgram", PROGRAM_TITLE, 360, 160, ProgramProc);
}
