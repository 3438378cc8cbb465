// The final message of an uninstallation, in English or Russian.
#pragma once

#include <string>
#include <vector>

#include "uninstall/uninstall_outcome.h"

// The message's parts for an outcome, texts and paths; isPath tells which
// part is a path (shown in the system's code page).
std::vector<std::string> OutcomeMessage(const UninstallOutcome& outcome, bool russian,
                                        std::vector<bool>* isPath);
