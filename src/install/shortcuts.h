// Shortcuts in the program group and on the desktop, and the filters
// registered through regsvr32; each one recorded in the uninstall log.
#pragma once

#include <cstdint>

// Returns 0 to go on, 1 when a link stood on the way to the shortcut (the
// write error has been shown and the run stops).
uint8_t MakeShortcut(const char* targetFile, const char* linkFile, uint8_t onDesktop,
                     const char* arguments);
int32_t CreateShellLink(const char* target, const char* link, const char* description,
                        const char* arguments, int iconIndex);
void GetShellFolderPath(char* path, uint8_t onDesktop);
bool RegisterFilter(const char* fileName);
