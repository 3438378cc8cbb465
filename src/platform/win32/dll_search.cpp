#include "platform/win32/dll_search.h"

#include <windows.h>

void RestrictDllSearch() {
  // Windows XP SP1 and later: the current folder leaves the search path.
  SetDllDirectoryW(L"");
  // Windows 8, and 7 with its update: only the system folder (and what the
  // side-by-side manifests name, such as the common controls) is searched.
  // Looked up at run time, so that a Windows without it still starts.
  using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return;
  const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesCall>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr) setDefault(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
}
