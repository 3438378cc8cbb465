// Shortcuts in the program group and on the desktop, and the filters
// registered through regsvr32; each one recorded in the uninstall log.
#pragma once

#include <cstdint>

#include "install/installation.h"

// Both false when a record could not go into the uninstall log; what it
// would name is then not made. MakeShortcut is false too when a link stood
// on the way to the shortcut (its write error has been shown); RegisterFilter
// when regsvr32 could not be started.
// Planned, they note their records and make nothing.
bool MakeShortcut(const char* targetFile, const char* linkFile, uint8_t onDesktop,
                  const char* arguments, Pass pass = Pass::Make);
int32_t CreateShellLink(const char* target, const char* link, const char* description,
                        const char* arguments, int iconIndex);
void GetShellFolderPath(char* path, uint8_t onDesktop);
bool RegisterFilter(const char* fileName, Pass pass = Pass::Make);
