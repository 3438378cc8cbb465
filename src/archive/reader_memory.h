// Every block a reader allocates goes through here, so that tests can make
// the n-th allocation fail and watch the request fail cleanly.
#pragma once

#include <cstddef>

struct ArchiveReader;

void* ReaderMalloc(ArchiveReader* reader, size_t size);

// Test hook: the reader's allocation after `count` more successful ones
// fails; a negative count (the default) never fails.
void SetReaderAllocationFailure(ArchiveReader* reader, int count);
