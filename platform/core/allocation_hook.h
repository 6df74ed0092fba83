// Allocation fault injection and accounting, shared by every allocator of the project (kelnl's
// own and the name-value library's). It is built into a small static library of its own: each
// shared library gets a private copy, while a test that links the static libraries has exactly
// one, so one sweep fails the allocations of both libraries alike. Thread-safe.
#ifndef KELNL_PLATFORM_CORE_ALLOCATION_HOOK_H
#define KELNL_PLATFORM_CORE_ALLOCATION_HOOK_H

#include <cstddef>

namespace kelnl::allocation_hook {

// For tests. Allocations are counted from the last arming.
//
// Makes the n-th allocation (1 = the next one) from now fail, and every later one too when
// sticky is set; 0 disarms. Each allocation or reallocation call counts as one.
void FailNth(long n, bool sticky = false);
void Disarm();
// Allocations attempted since the last FailNth or Disarm.
long Attempts();
// True when an armed failure has been delivered since the last arming.
bool Failed();
// Blocks handed out and not yet released, over the whole process.
long LiveBlocks();

// For allocators: call AttemptFails once per allocation or reallocation before doing it, and
// give up with a null result when it returns true; count each new block and each release.
bool AttemptFails();
void CountBlockAllocated();
void CountBlockReleased();

// The C heap through the hook, for the libraries that stand outside kelnl and allocate from the
// C heap alone. A zero-byte request still gets a real block, so a null result always means
// failure. HeapRelease accepts null.
void* HeapAllocate(std::size_t size);
void HeapRelease(void* block);

}  // namespace kelnl::allocation_hook

#endif
