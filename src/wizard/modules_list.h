// ModuleTable shown in, and read back from, the modules page's list view.
#pragma once

#include "platform/platform.h"

// Shows the five rows with check boxes: ticked for the enabled ones.
void FillModuleList(Window page, int listId);
// Copies the boxes back into enabled: a row counts as chosen unless its box shows empty.
void ReadModuleList(Window page, int listId);
