// The stand-in viewer (Orbivue.exe): shows the settings it reads from the
// Orbivue.ini in its own folder, and notes its start in viewer-started.txt
// there, so a test can see that it ran and what it read.
#include <cstdio>
#include <cstring>

#include "demo_window.h"

namespace {

char settingsText[2048];

void ReadSettings(const char* ini) {
  struct Key {
    const char* section;
    const char* key;
  } keys[] = {{"Options", "Language"},          {"Modules", "CurDeviceFile"},
              {"Modules", "CurDeviceID"},       {"Modules", "StartDevice"},
              {"SoftwareRender", "BufferSize"}, {"SoftwareRender", "InMemory"},
              {"SoftwareRender", "FileName"},   {"DisabledModules", "Beacon.Module"}};
  size_t used = 0;
  used += std::snprintf(settingsText + used, sizeof settingsText - used,
                        "Settings read from %s\r\n\r\n", ini);
  for (const Key& k : keys) {
    char value[260];
    GetPrivateProfileStringA(k.section, k.key, "(missing)", value, sizeof value, ini);
    if (used < sizeof settingsText)
      used += std::snprintf(settingsText + used, sizeof settingsText - used, "[%s] %s=%s\r\n",
                            k.section, k.key, value);
  }
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT r;
      GetClientRect(window, &r);
      InflateRect(&r, -12, -12);
      SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      DrawTextA(dc, settingsText, -1, &r, DT_LEFT | DT_TOP);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  char folder[MAX_PATH + 1], ini[MAX_PATH + 32], note[MAX_PATH + 32];
  FolderOfThisProgram(folder, MAX_PATH);
  std::snprintf(ini, sizeof ini, "%sOrbivue.ini", folder);
  std::snprintf(note, sizeof note, "%sviewer-started.txt", folder);
  ReadSettings(ini);
  if (FILE* f = std::fopen(note, "wb")) {
    std::fputs(settingsText, f);
    std::fclose(f);
  }

  return RunMainWindow(instance, show, "OrbivueViewer", "Orbivue viewer", 520, 300, ViewerProc);
}
