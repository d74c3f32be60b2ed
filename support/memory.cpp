#include "memory.h"

#include <cstdlib>

static long allocationsBeforeFailure = -1;

static bool AllocationRefused() {
  if (allocationsBeforeFailure < 0) return false;
  if (allocationsBeforeFailure == 0) return true;
  --allocationsBeforeFailure;
  return false;
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

void FailAllocationsAfter(long count) { allocationsBeforeFailure = count; }
