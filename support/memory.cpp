#include "memory.h"

#include <cstdlib>

static long allocationsBeforeFailure = -1, failuresLeft = -1;

static bool AllocationRefused() {
  if (allocationsBeforeFailure < 0) return false;
  if (allocationsBeforeFailure > 0) {
    --allocationsBeforeFailure;
    return false;
  }
  if (failuresLeft == 0) return false;
  if (failuresLeft > 0) --failuresLeft;
  return true;
}

void* AllocateBytes(std::size_t size) {
  if (AllocationRefused()) return nullptr;
  return std::malloc(size ? size : 1);
}

void* ResizeBytes(void* block, std::size_t size) {
  if (AllocationRefused()) return nullptr;
  return std::realloc(block, size ? size : 1);
}

void ReleaseBytes(void* block) { std::free(block); }

long FailAllocationsAfter(long count, long failures) {
  const long left = allocationsBeforeFailure;
  allocationsBeforeFailure = count;
  failuresLeft = failures;
  return left;
}
