// Where the program's process looks for DLLs loaded at run time: Setup and
// the uninstaller run elevated from wherever they were put (a downloads
// folder, the temporary folder), and a DLL planted beside them must not be
// loaded in place of the system's.
#pragma once

// Takes the current folder out of the DLL search path and, where Windows
// offers it, restricts the search to the system folder. Called first
// thing, before anything else is loaded.
void RestrictDllSearch();
