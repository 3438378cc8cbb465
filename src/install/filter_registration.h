// The DirectShow filters the user chose, registered through the system's
// regsvr32, each recorded in the uninstall log before it is registered.
#pragma once

#include "install/install_entry.h"

// Registers the filter file Filters\fileName of the destination. False when
// its record could not go into the uninstall log (it is then not
// registered) or when regsvr32 could not be started. Planned, it notes its
// record and starts nothing.
bool RegisterFilter(const char* fileName, Pass pass = Pass::Make);
// The two Elecard decoder filters and the TwinHan source, as chosen.
void RegisterChosenFilters(Pass pass);
