#include "platform/win32/dll_search.h"

#include <windows.h>

namespace {

// DLLs that the system's own libraries load by their bare names only when
// first needed, long after the start: the common controls' drawing and
// themes, the window manager's composition, the shell's property store.
// Some of those loads go through delayed imports, which not every system
// resolves on the restricted path (Wine resolves them on the process's
// default path, the program's folder first). Loaded here by their full
// path in the system folder, they are found already loaded when asked for.
const wchar_t* const OnDemandDlls[] = {L"uxtheme.dll", L"msimg32.dll", L"dwmapi.dll",
                                       L"propsys.dll"};

void PreloadFromSystemFolder() {
  wchar_t path[MAX_PATH];
  const UINT folderLength = GetSystemDirectoryW(path, MAX_PATH);
  if (folderLength == 0 || folderLength >= MAX_PATH) return;
  for (const wchar_t* name : OnDemandDlls) {
    if (folderLength + 1 + lstrlenW(name) >= MAX_PATH) continue;
    path[folderLength] = L'\\';
    lstrcpynW(path + folderLength + 1, name, MAX_PATH - int(folderLength) - 1);
    // A DLL missing from this system is simply not there to be planted over.
    LoadLibraryW(path);
  }
}

}  // namespace

void RestrictDllSearch() {
  // Windows XP SP1 and later: the current folder leaves the search path.
  SetDllDirectoryW(L"");
  // Windows 8, and 7 with its update: only the system folder (and what the
  // side-by-side manifests name, such as the common controls) is searched.
  // Looked up at run time, so that a Windows without it still starts.
  using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto setDefault =
      kernel == nullptr
          ? nullptr
          : reinterpret_cast<SetDefaultDllDirectoriesCall>(
                reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr) setDefault(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
  PreloadFromSystemFolder();
}
