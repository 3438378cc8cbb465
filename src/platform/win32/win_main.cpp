// The process entry: restricts where DLLs are loaded from, registers the
// common controls that the pages use (list view, progress bar) and hands
// over to the wizard.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "platform/win32/dll_search.h"
#include "wizard/setup_wizard.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  return RunSetup(reinterpret_cast<ModuleInstance>(instance));
}
