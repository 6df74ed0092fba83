// The external trace library's allocator. kelzt stands outside kelnl and allocates from the C
// heap alone, through the project's allocation failure hook, so that sweeps reach its allocations
// as they reach kelnl's. Thread-safe. Failure is a null result.
#ifndef KELNL_PLATFORM_ZTRACE_ZT_MEMORY_H
#define KELNL_PLATFORM_ZTRACE_ZT_MEMORY_H

#include <cstddef>

namespace kelzt {

void* Allocate(std::size_t size);
void Release(void* block);

}  // namespace kelzt

#endif
