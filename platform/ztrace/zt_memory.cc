#include "platform/ztrace/zt_memory.h"

#include <cstdlib>

#include "platform/core/allocation_hook.h"

namespace kelzt {

namespace hook = kelnl::allocation_hook;

// A zero-byte request still gets a real block, so a null result always means failure.
void* Allocate(std::size_t size) {
  if (hook::AttemptFails()) return nullptr;
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block != nullptr) hook::CountBlockAllocated();
  return block;
}

void Release(void* block) {
  if (block == nullptr) return;
  hook::CountBlockReleased();
  std::free(block);
}

}  // namespace kelzt
