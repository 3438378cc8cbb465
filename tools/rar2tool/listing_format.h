// How list shows the fields of an entry and the traits of an archive.
#pragma once

#include <cstdint>
#include <string>

#include "header_walk.h"

// "YYYY-MM-DD hh:mm:ss"; "(no time)" for a zero time; "(bad 0x........)"
// for a date or time of day that cannot be.
std::string FormatDosTime(uint32_t dosTime);

// "m0".."m5" for the RAR methods, "0x.." for any other byte.
std::string MethodName(uint8_t method);

// " (solid, volume)" and the like; empty for a plain archive.
std::string ArchiveTraits(const ArchiveWalk& walk);
