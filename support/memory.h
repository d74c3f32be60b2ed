#pragma once
#include <cstddef>

// Every allocation of the portable modules goes through here, so tests can make
// the n-th one fail and check that nothing stored is lost when memory runs out.
void* AllocateBytes(std::size_t size);
void* ResizeBytes(void* block, std::size_t size);
void ReleaseBytes(void* block);

// Test hook: the allocation after `count` more successful ones fails, and so do the `failures`
// after it (-1: all); a count of -1 turns it off. Gives the count still left of the hook before:
// 0 once a failure was reached.
long FailAllocationsAfter(long count, long failures = -1);
