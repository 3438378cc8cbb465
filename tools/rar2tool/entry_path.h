// Turning an archive entry name into a path below an extraction folder.
#pragma once

#include <string>

// Splits name at backslashes and slashes into a relative path with '/'
// separators. Returns false (with the reason) for a name that would leave
// the folder: absolute, with a drive letter or colon, with a ".." component,
// or empty.
bool EntryRelativePath(const std::string& name, std::string* path, std::string* reason);
