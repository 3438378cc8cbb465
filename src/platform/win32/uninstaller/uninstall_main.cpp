// The entry of uninstall.exe: "/S" runs it silently; the exit code tells
// the result (see run_uninstall.h).
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>
#include <objbase.h>

#include "platform/win32/dll_search.h"
#include "uninstall/run_uninstall.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  RestrictDllSearch();
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  // The shell's folder lookups may use COM.
  CoInitialize(nullptr);
  const int code = RunUninstall(IsSilentCommandLine(commandLine));
  CoUninitialize();
  return code;
}
