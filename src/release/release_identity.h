// Who ships the product and which release it is: shown in the programs'
// version resources, the uninstall entry and rar2tool --version. The
// version itself comes from VERSION (see cmake/Version.cmake). Plain
// defines, so that the resource compiler reads this header too.
#pragma once

#include "release_version.h"

#define RELEASE_PRODUCT_NAME "Orbivue"
#define RELEASE_PUBLISHER "Orbivue"
#define RELEASE_COPYRIGHT "Copyright (C) 2026 Orbivue"
