// Setup's one reader: the installation's requests of the embedded archive
// all go to it, through the Archive... calls of archive_reader.h.
#pragma once

#include "archive/reader_handle.h"

// Named so that a check from outside the running program can find it (its
// first bytes are the decoder's count of decoded bytes).
extern ArchiveReader setupArchiveReader;
