// Whether an open handle is on the file its path names, or on what a link
// there points at. Some systems (Wine among them) follow a file link even
// when asked not to and report no reparse point for it: the handle's
// resolved path then lies elsewhere than the resolved folder of the path.
#pragma once

#include <windows.h>

// True when handle, opened by path, is the file or folder at path itself;
// also true when the system cannot tell (it has no resolved paths).
bool HandleIsAt(HANDLE handle, const char* path);
