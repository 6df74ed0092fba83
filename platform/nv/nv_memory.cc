#include "platform/nv/nv_memory.h"

#include <cstdlib>

#include "platform/core/allocation_hook.h"

namespace kelnv {

namespace hook = kelnl::allocation_hook;

// A zero-byte request still gets a real block, so a null result always means failure.
void* Allocate(std::size_t size) {
  if (hook::AttemptFails()) return nullptr;
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block != nullptr) hook::CountBlockAllocated();
  return block;
}

void* Reallocate(void* block, std::size_t size) {
  if (block == nullptr) return Allocate(size);
  if (hook::AttemptFails()) return nullptr;
  return std::realloc(block, size == 0 ? 1 : size);
}

void Release(void* block) {
  if (block == nullptr) return;
  hook::CountBlockReleased();
  std::free(block);
}

}  // namespace kelnv
