// The uninstaller: finds Uninstall.ini beside itself, asks, removes what the
// log names inside the product's places (filters, files, folders, the
// uninstall entry, itself), and says what was removed and what was left.
#pragma once

#include "uninstall/uninstall_outcome.h"

// The whole program: silent means no window and no message at all. Returns
// the program's exit code (UninstallExit).
int RunUninstall(bool silent);

// True when the command line asks for a silent run ("/S", any case).
bool IsSilentCommandLine(const char* commandLine);

// Russian when the viewer's Orbivue.ini in folder says so, else English.
bool ProductLanguageIsRussian(const char* folder);
