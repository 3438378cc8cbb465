#include "archive/reader_memory.h"

#include <cstdlib>

namespace {
int allocationsBeforeFailure = -1;
}

void SetReaderAllocationFailure(int count) {
  allocationsBeforeFailure = count;
}

void* ReaderMalloc(size_t size) {
  if (allocationsBeforeFailure == 0) {
    allocationsBeforeFailure = -1;
    return nullptr;
  }
  if (allocationsBeforeFailure > 0) allocationsBeforeFailure--;
  // A zero-byte request is a valid empty buffer, never a failure.
  return std::malloc(size == 0 ? 1 : size);
}
