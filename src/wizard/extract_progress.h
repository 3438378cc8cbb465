// The extraction page's side of the installation: its progress bar follows
// the run, and the frame's Cancel asks the run to stop.
#pragma once

#include "install/install_report.h"

// The report the installation run is given while the extraction page is
// the current page.
const InstallReport& ExtractPageReport();
