// Loads DLLs by their bare names, as the shell and COM load what they need on
// demand, and says where each came from:
//   e2e_dll_probe [--restricted] NAME...
// --restricted first restricts the DLL search as Setup does at its start;
// without it the program's own folder is searched first. Prints one line
// per name: "NAME PATH" (or "NAME not loaded"); exits 0.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/win32/dll_search.h"

int main(int argc, char** argv) {
  int first = 1;
  if (argc > 1 && std::strcmp(argv[1], "--restricted") == 0) {
    RestrictDllSearch();
    first = 2;
  }
  for (int i = first; i < argc; i++) {
    HMODULE module = LoadLibraryA(argv[i]);
    char path[MAX_PATH] = "";
    if (module != nullptr) GetModuleFileNameA(module, path, MAX_PATH);
    std::printf("%s %s\n", argv[i], module != nullptr ? path : "not loaded");
  }
  return 0;
}
