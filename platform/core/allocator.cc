#include "platform/core/allocator.h"

#include <cstdint>
#include <cstdlib>

#include "platform/core/core.h"
#include "platform/os/os.h"

namespace kelnl {
namespace {

// Blocks carry no header: a block the library hands to a caller is, in an ordinary process, a
// plain C heap block the caller may free(). The core-services family knows its own blocks, so a
// release after sscoreserverflag changed still reaches the family that allocated the block.

namespace hook = allocation_hook;

// Blocks this large are slot arrays and arena chunks that get filled all over soon after.
constexpr std::size_t kLargePagesFrom = std::size_t{4} << 20;

void* Counted(void* block, std::size_t size) {
  if (block == nullptr) return nullptr;
  hook::CountBlockAllocated();
  if (size >= kLargePagesFrom) os::AdviseLargePages(block, size);
  return block;
}

}  // namespace

void* Allocate(std::size_t size) {
  if (hook::AttemptFails()) return nullptr;
  return Counted(sscoreserverflag != 0 ? ss_mem_alc(size) : std::malloc(size == 0 ? 1 : size), size);
}

void* AllocateZeroed(std::size_t count, std::size_t size) {
  if (size != 0 && count > SIZE_MAX / size) return nullptr;
  if (hook::AttemptFails()) return nullptr;
  if (sscoreserverflag != 0) return Counted(ss_mem_cal(count, size), count * size);
  return Counted(std::calloc(count == 0 ? 1 : count, size == 0 ? 1 : size), count * size);
}

void* Reallocate(void* block, std::size_t size) {
  if (block == nullptr) return Allocate(size);
  if (hook::AttemptFails()) return nullptr;
  if (CoreFamilyOwns(block)) return ss_mem_ral(block, size);
  return std::realloc(block, size == 0 ? 1 : size);
}

void* AllocateOnLargePages(std::size_t bytes, std::size_t prefix, bool zeroed, void** block) {
  const std::size_t slack = os::kLargePagesOnRequest ? os::kLargePageBytes : 0;
  if (bytes > SIZE_MAX - prefix - slack) return nullptr;
  const std::size_t total = prefix + bytes + slack;
  *block = zeroed ? AllocateZeroed(1, total) : Allocate(total);
  if (*block == nullptr) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(*block) + prefix;
  return reinterpret_cast<void*>(os::kLargePagesOnRequest ? os::LargePageBoundaryFrom(start) : start);
}

void Release(void* block) {
  if (block == nullptr) return;
  hook::CountBlockReleased();
  if (CoreFamilyOwns(block)) {
    ss_mem_fre(block);
  } else {
    std::free(block);
  }
}

}  // namespace kelnl
