// The program's resources as the host stand-in reads them from setup.rc.
#pragma once

#include <string>

#include "platform/host/host_wizard.h"

// False when the string table has no such string.
bool FindResourceString(int id, std::string* text);
