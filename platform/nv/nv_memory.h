// The name-value library's allocator. kelnv stands outside kelnl and does not follow kelnl's
// sscoreserverflag: it allocates from the C heap alone. It shares kelnl's allocation failure
// hook (platform/core/allocation_hook.h), so allocation-failure sweeps reach its allocations
// the same way as kelnl's, and in a white-box test one sweep covers both libraries.
// Thread-safe. Failure is a null result.
#ifndef KELNL_PLATFORM_NV_NV_MEMORY_H
#define KELNL_PLATFORM_NV_NV_MEMORY_H

#include <cstddef>

namespace kelnv {

void* Allocate(std::size_t size);
// Like realloc: a null result keeps the old block; a null block allocates.
void* Reallocate(void* block, std::size_t size);
void Release(void* block);

}  // namespace kelnv

#endif
