// The driver's look at the disk: folders it prepares for a scenario and what
// it finds there afterwards.
#pragma once

#include <map>
#include <string>

// Removes the note of a viewer's start that an earlier run left in folder.
void PrepareDestination(const std::wstring& folder);
void MakeFolders(const std::wstring& folder);
bool PathExists(const std::wstring& path);

// What the viewer installed in folder noted when it started (its command
// line, or the settings it read), or empty when it did not start within waitMs.
std::string ViewerStartedWith(const std::wstring& folder, unsigned waitMs);

// Every file and folder under root with its size and time of last writing,
// leaving out the bulk of Wine's system folders (system32, winsxs, ...).
using DiskSnapshot = std::map<std::wstring, std::wstring>;
DiskSnapshot SnapshotOf(const std::wstring& root);
// The entries that differ between two snapshots, for the report.
std::string DifferencesBetween(const DiskSnapshot& before, const DiskSnapshot& after);
