// The embedded archive checked whole against the CRC-32 that the build
// recorded beside it, before the installation changes anything: a damaged
// installer then says so before a file is written.
#pragma once

#include "archive/archive_image.h"

// True when image's bytes give the CRC-32 that the program carries as its
// recorded check value; false for a missing or empty archive too.
bool ArchiveMatchesItsCheck(const ArchiveImage& image);
