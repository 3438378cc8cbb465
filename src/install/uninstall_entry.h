// The system's uninstall entry in the registry, through which the list of
// installed programs finds, describes and removes the product.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/archive_reader.h"

// The uninstall entry's command for the uninstaller in folder (which ends
// in a backslash, or is empty): between double quotes when it holds a blank,
// so that no shorter path up to the blank can be taken for the program
// ("C:\Program.exe" for "C:\Program Files\..."); as it stands otherwise,
// as readers of the entry have always found it. Empty when it does not fit.
void UninstallCommand(const char* folder, char* command, size_t capacity);

// The size the entry reports: the unpacked bytes of the files of the list
// that the installation writes (those IsEntryWanted takes), in kilobytes,
// rounded up.
uint32_t InstalledKilobytes(const EntryListNode* head);

// Writes the entry for the product installed in folder (ending in a
// backslash): its name, version and publisher, the viewer's icon, the
// folder, its size, the uninstaller's command and its silent form, and
// that it offers neither Change nor Repair.
void WriteUninstallEntry(const char* folder, uint32_t kilobytes);
