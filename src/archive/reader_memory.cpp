#include "archive/reader_memory.h"

#include <cstdlib>

#include "archive/reader_handle.h"

void SetReaderAllocationFailure(ArchiveReader* reader, int count) {
  reader->allocationsBeforeFailure = count;
}

void* ReaderMalloc(ArchiveReader* reader, size_t size) {
  int& before = reader->allocationsBeforeFailure;
  if (before == 0) {
    before = -1;
    return nullptr;
  }
  if (before > 0) before--;
  // A zero-byte request is a valid empty buffer, never a failure.
  return std::malloc(size == 0 ? 1 : size);
}
