// The installation scenarios: Setup.exe with the demo product installs it
// for real. Each runs alone (by name), and tests/e2e/check-install looks at
// what it left on disk and in the registry before the next one starts.
#pragma once

#include <vector>

#include "scenarios.h"

const std::vector<Scenario>& InstallScenarios(bool russian);
