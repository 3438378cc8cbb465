// Every block the reader allocates goes through here, so that tests can make
// the n-th allocation fail and watch the request fail cleanly.
#pragma once

#include <cstddef>

void* ReaderMalloc(size_t size);

// Test hook: the allocation after `count` more successful ones fails; a
// negative count (the default) never fails.
void SetReaderAllocationFailure(int count);

// How many allocations have failed so far, so that a caller can tell a
// request that ran out of memory from one that met damaged data.
unsigned ReaderAllocationFailures();
