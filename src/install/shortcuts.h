// The shortcuts in the program group and on the desktop, each recorded in
// the uninstall log before it is made.
#pragma once

#include <cstdint>

#include "install/install_entry.h"

// False when a record could not go into the uninstall log (what it would
// name is then not made), or when a link stood on the way to the shortcut
// (its write error has been shown), or when the shortcut could not be
// saved (its write error, with the link's path, has been shown). Planned,
// it notes its records and makes nothing.
bool MakeShortcut(const char* targetFile, const char* linkFile, uint8_t onDesktop,
                  const char* arguments, Pass pass = Pass::Make);
// The four: the viewer in the group and on the desktop, the uninstaller
// and GraphEdit in the group; false when one stops the run.
bool MakeShortcuts(Pass pass);
// Saves the shortcut link (below place) to target; linkFound receives a
// link that stopped it. The COM result: negative on failure.
int32_t CreateShellLink(const char* target, const char* place, const char* link,
                        const char* description, const char* arguments, int iconIndex,
                        char* linkFound);
void GetShellFolderPath(char* path, uint8_t onDesktop);
