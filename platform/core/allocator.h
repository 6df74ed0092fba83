// The library's one allocation wrapper. Every allocation of kelnl goes through it: it picks the
// core-services family while sscoreserverflag is non-zero and the C heap otherwise, and releases
// each block through the family that allocated it, whatever the flag says by then. Blocks carry
// no header, so a block handed to a caller in an ordinary process is a plain C heap block.
// Thread-safe. Allocation failure is a null result, never an exception.
#ifndef KELNL_PLATFORM_CORE_ALLOCATOR_H
#define KELNL_PLATFORM_CORE_ALLOCATOR_H

#include <cstddef>
#include <memory>

// Tests reach the failure hook (FailNth, LiveBlocks, ...) through this header too.
#include "platform/core/allocation_hook.h"

namespace kelnl {

void* Allocate(std::size_t size);
void* AllocateZeroed(std::size_t count, std::size_t size);
// Like realloc: null keeps the old block; a null block allocates.
void* Reallocate(void* block, std::size_t size);
void Release(void* block);

// For big arrays that are filled all over at once: bytes that start on a large-page boundary,
// where the system backs large pages on request (elsewhere right after the prefix), with at
// least prefix bytes of the same block before them for the caller's own use, zeroed when asked.
// *block receives the block to Release. Null when memory runs out.
void* AllocateOnLargePages(std::size_t bytes, std::size_t prefix, bool zeroed, void** block);

// True for a block of the core-services family (ss_mem_*).
bool CoreFamilyOwns(const void* block);

struct BlockReleaser {
  void operator()(void* block) const { Release(block); }
};
// Owns a block from Allocate; releases it on scope exit unless released to a caller.
template <typename T>
using UniqueBlock = std::unique_ptr<T, BlockReleaser>;

}  // namespace kelnl

#endif
