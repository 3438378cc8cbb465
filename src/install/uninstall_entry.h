// The system's uninstall entry in the registry, through which the list of
// installed programs finds the product's uninstaller.
#pragma once

#include <cstddef>

// The uninstall entry's command for the uninstaller in folder (which ends
// in a backslash, or is empty): between double quotes when it holds a blank,
// so that no shorter path up to the blank can be taken for the program
// ("C:\Program.exe" for "C:\Program Files\..."); as it stands otherwise,
// as readers of the entry have always found it. Empty when it does not fit.
void UninstallCommand(const char* folder, char* command, size_t capacity);
void WriteUninstallKey(const char* displayName, const char* command);
