// The installation scenarios: Setup.exe with the demo product installs it
// for real. Each runs alone (by name), and tests/e2e/check-install looks at
// what it left on disk and in the registry before the next one starts.
#pragma once

#include <vector>

#include "scenarios.h"

const std::vector<Scenario>& InstallScenarios(bool russian);

// What an earlier scenario left outside its destination: the uninstall key,
// the filters' classes, the shortcuts and INI files of an empty destination.
void ClearInstalledTraces();
// A folder of the shell (CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY, ...).
std::wstring ShellFolder(int csidl);

// Setup killed part-way through an installation: before its first entry,
// between two entries, while an entry is made, as the program group's folder
// is made and among the links. Each checks that the uninstall log lists every folder and file
// on disk, under the destination, in the program group and on the desktop.
void KilledBeforeTheEntries(const DriverSettings&, const PageTexts&, bool);
void KilledBetweenEntries(const DriverSettings&, const PageTexts&, bool);
void KilledDuringAnEntry(const DriverSettings&, const PageTexts&, bool);
void KilledDuringTheShortcuts(const DriverSettings&, const PageTexts&, bool);
void KilledAmongTheLinks(const DriverSettings&, const PageTexts&, bool);
