// The installation run: the embedded archive and the answers of the wizard
// become an installed product, its uninstall record, shortcuts, filter
// registrations and configuration file.
#pragma once

#include <cstdint>

#include "archive/archive_image.h"

// The program's one archive image, filled from resource RARFILE 105.
extern ArchiveImage programArchive;

// Fills image from the program's own RARFILE resource with the given id;
// data null and size 0 when there is none.
void LoadEmbeddedArchive(ArchiveImage* image, int resourceId);

// Runs the whole installation; its outcome is left in installChoices.
void RunInstallation();

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
// A folder made (Make), or remembered as made for the rest of the plan.
void NoteFolder(const char* path, Pass pass);
void ForgetPlannedFolders();
bool IsEntryWanted(const char* name);
// True when name stays inside the destination folder: relative, without a
// drive letter or colon, without a ".." component, without control
// characters.
bool IsSafeEntryName(const char* name);
uint8_t ShowWriteError(const char* path);
// Nothing is made or written through a link below a place of the product
// (the destination, the Programs or desktop folder): with one on the way
// to path, the run stops with the write error naming the link. place is a
// leading part of path ending in a backslash. Returns 0 to go on, 1 to stop.
uint8_t StopAtLink(const char* place, const char* path);
// StopAtLink when making; when planning, 1 at a link without a word.
uint8_t StopAtLinkIn(Pass pass, const char* place, const char* path);
