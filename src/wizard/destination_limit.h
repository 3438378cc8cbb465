// The options page's refusals of a destination, in the chosen language.
#pragma once

#include "answers/destination_rules.h"

// Shows the refusal of a destination that does not fit, in the chosen
// language, with MaxDestinationLength in it.
void ShowDestinationTooLong();

// CheckDestination, with its refusal shown in the chosen language: a folder
// too long, or one the uninstaller could never remove. True with the
// canonical form in out (PathBufferSize bytes).
bool AcceptDestination(const char* typed, char* out);
