#include "archive/reader_memory.h"

#include <cstdlib>

namespace {
int allocationsBeforeFailure = -1;
unsigned failures = 0;
}  // namespace

void SetReaderAllocationFailure(int count) {
  allocationsBeforeFailure = count;
}

void* ReaderMalloc(size_t size) {
  if (allocationsBeforeFailure == 0) {
    allocationsBeforeFailure = -1;
    failures++;
    return nullptr;
  }
  if (allocationsBeforeFailure > 0) allocationsBeforeFailure--;
  // A zero-byte request is a valid empty buffer, never a failure.
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) failures++;
  return block;
}

unsigned ReaderAllocationFailures() {
  return failures;
}
