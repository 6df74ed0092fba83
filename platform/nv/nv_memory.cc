#include "platform/nv/nv_memory.h"

#include <cstdlib>

#include "platform/core/allocation_hook.h"

namespace kelnv {

namespace hook = kelnl::allocation_hook;

void* Allocate(std::size_t size) { return hook::HeapAllocate(size); }

void* Reallocate(void* block, std::size_t size) {
  if (block == nullptr) return Allocate(size);
  if (hook::AttemptFails()) return nullptr;
  return std::realloc(block, size == 0 ? 1 : size);
}

void Release(void* block) { hook::HeapRelease(block); }

}  // namespace kelnv
