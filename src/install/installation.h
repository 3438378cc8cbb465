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

// One archive entry: skipped, made as a folder, or unpacked and written.
// Returns 0 to go on, 1 to stop the run (the message has been shown).
uint8_t InstallEntry(bool isDirectory, const char* name);
bool IsEntryWanted(const char* name);
// True when name stays inside the destination folder: relative, without a
// drive letter or colon, without a ".." component.
bool IsSafeEntryName(const char* name);
uint8_t ShowWriteError(const char* path);
// Nothing is made or written through a link below a place of the product
// (the destination, the Programs or desktop folder): with one on the way
// to path, the run stops with the write error naming the link. place is a
// leading part of path ending in a backslash. Returns 0 to go on, 1 to stop.
uint8_t StopAtLink(const char* place, const char* path);
