// Why a get request for an entry failed, told from the headers, since the
// request itself only answers 1 or 0.
#pragma once

#include <string>

#include "archive_file.h"

std::string FailureReason(const ArchiveWalk& walk, size_t index, bool havePassword);
