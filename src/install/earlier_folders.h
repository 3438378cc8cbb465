// The folders that the log of an earlier installation into the destination
// lists as made by Setup. A folder that stands already is recorded only
// when Setup made it: in this run, or in an earlier one into the same
// folder (whose log this run replaces). A user's own folder under a
// product name is never the product's.
#pragma once

// Reads the "Dirs" records of the log at path (a missing log, or an empty
// path, lists none).
void ReadEarlierFolders(const char* log);
// Whether the earlier log lists path (with or without its trailing
// backslash, compared as the file system compares names) and this pass has
// not claimed it yet: a folder is recorded once per run.
bool ClaimEarlierFolder(const char* path);
// The plan is done: the making pass claims every listed folder anew.
void ReleaseEarlierFolders();
