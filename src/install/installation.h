// The installation run: the embedded archive and the answers of the wizard
// (InstallChoices) become an installed product, its uninstall record,
// shortcuts, filter registrations and configuration file.
#pragma once

#include "install/install_outcome.h"
#include "install/install_report.h"

// Runs the whole installation, telling report how far it has got.
InstallOutcome RunInstallation(const InstallReport& report);

// Which entries of the archive the installation makes: every one but the
// plug-ins of the modules the user unticked.
bool IsEntryWanted(const char* name);
// True when name stays inside the destination folder: relative, without a
// drive letter or colon, without a ".." component, without control
// characters. Other names are treated as damaged data.
bool IsSafeEntryName(const char* name);
