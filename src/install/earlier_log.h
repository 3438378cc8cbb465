// The log an earlier installation into the destination left. What it lists
// stays the product's while it is on disk, whatever this run does: its
// folders are recorded again where this run passes them (a folder that
// stands already is recorded only when Setup made it, in this run or in an
// earlier one; a user's own folder under a product name never is), and
// every record that still names something of the product goes on into this
// run's log, so that a run stopped at any moment, or one that leaves out
// what the earlier run made, never orphans it.
#pragma once

struct EntryListNode;
class UninstallLog;

// Reads the records of the log at path (a missing log, or an empty path,
// lists none).
void ReadEarlierLog(const char* log);
// Whether the earlier log lists the folder path (with or without its
// trailing backslash, compared as the file system compares names) and this
// pass has not claimed it yet: a folder is recorded once per run.
bool ClaimEarlierFolder(const char* path);
// The plan is done: the making pass claims every listed folder anew.
void ReleaseEarlierFolders();

// Where the product's records may lie: the destination (with its trailing
// backslash), the program group's folder (with its trailing backslash) and
// the desktop shortcut; an empty text where there is none.
struct ProductPlacesOfRun {
  const char* destination;
  const char* programGroup;
  const char* desktopLink;
};

// Carries into log the earlier records that name something this Setup
// makes and that are still there: below the destination, an entry of the
// archive (ticked or not) or a folder above one, a filter file under
// "Filters"; a folder above the destination; a shortcut in the program
// group or the desktop's. Anything else an earlier log may list (a file
// of the user's, a path elsewhere) is never carried.
void CarryEarlierRecords(const ProductPlacesOfRun& places, const EntryListNode* head,
                         UninstallLog* log);
