// Whether a test program is built as the program it drives, so that what it
// computes of the system is what that program sees: the same machine, and
// the same address space (Windows tells a 32-bit program that is not
// large-address-aware of at most 2 GB of physical memory, one that is of up
// to 4 GB).
#pragma once

#include <string>

// Empty when this program and the program file agree; otherwise one line
// that names both and what differs.
std::string LinkedUnlike(const std::wstring& program);
