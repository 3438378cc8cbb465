// The timeshift page's arithmetic: the proposed file, the buffer size read
// from its edit, and the memory limit.
#pragma once

#include <cstdint>

// Appended to the destination for the proposed timeshift file.
extern const char TimeshiftFileName[];

// destination + "timeshift.dat" (no separator added) into proposal (260
// bytes); the start value "c:\timeshift.dat" when that would not fit.
void ProposeTimeshiftFile(const char* destination, char* proposal);

// Reads text as a decimal number: leading white space skipped, an optional
// sign, digits up to the first other character; no digits give 0. Values
// beyond the 32-bit range stop at its ends.
int32_t ParseDecimal(const char* text);

// The machine's total physical memory in whole megabytes.
uint32_t TotalPhysicalMegabytes();
