#include "platform/ztrace/zt_memory.h"

#include "platform/core/allocation_hook.h"

namespace kelzt {

namespace hook = kelnl::allocation_hook;

void* Allocate(std::size_t size) { return hook::HeapAllocate(size); }

void Release(void* block) { hook::HeapRelease(block); }

}  // namespace kelzt
