// One archive entry at a time, in the two passes of the run: the folders
// above it, then the folder or the file itself, each recorded in the
// uninstall log before it is made, and nothing made through a link.
#pragma once

#include <cstdint>

// A step of the installation either plans (notes the records it would add
// to the uninstall log, so that they go in ahead of what they name, and
// makes nothing) or makes (records, then makes).
enum class Pass : uint8_t { Plan, Make };

// One archive entry: skipped, made as a folder, or unpacked and written.
// Returns 0 to go on, 1 to stop the run (the message has been shown).
uint8_t InstallEntry(bool isDirectory, const char* name);
// The records InstallEntry would add for the entry, noted in the plan, with
// the folders it would make remembered for the entries after it; 1 where
// InstallEntry would stop (nothing is shown).
uint8_t PlanEntry(bool isDirectory, const char* name);
// A folder the run records: one still to be made (missing, and when
// planning not made by an earlier step of the plan), or one that the log
// of an earlier installation lists as Setup's.
bool IsSetupsFolder(const char* path, Pass pass);
// A folder made (Make), or remembered as made for the rest of the plan.
uint8_t NoteFolder(const char* path, Pass pass);
void ForgetPlannedFolders();
// Nothing is made or written through a link below a place of the product
// (the destination, the Programs or desktop folder): with one on the way
// to path, the run stops with the write error naming the link (the plan
// stops there too, and its failure is forgotten). place is a leading part
// of path ending in a backslash. Returns 0 to go on, 1 to stop.
uint8_t StopAtLink(const char* place, const char* path);
