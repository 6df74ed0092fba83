#include "platform/core/allocator.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/core/core.h"

namespace kelnl {
namespace {

// Each block carries a header naming its family, so a release after sscoreserverflag changed
// still reaches the right family. The header keeps the caller's block maximally aligned.
constexpr std::size_t kHeaderBytes = 16;
constexpr std::uint32_t kHeapFamily = 0x6B4C4801;  // C heap
constexpr std::uint32_t kCoreFamily = 0x6B4C4802;  // core-services family

struct BlockHeader {
  std::uint32_t family;
};
static_assert(sizeof(BlockHeader) <= kHeaderBytes);

namespace hook = allocation_hook;

bool SizeFits(std::size_t count, std::size_t size, std::size_t* total) {
  if (size != 0 && count > (SIZE_MAX - kHeaderBytes) / size) return false;
  *total = count * size + kHeaderBytes;
  return true;
}

void* Payload(void* raw, std::uint32_t family) {
  static_cast<BlockHeader*>(raw)->family = family;
  hook::CountBlockAllocated();
  return static_cast<unsigned char*>(raw) + kHeaderBytes;
}

void* RawBlock(void* block) { return static_cast<unsigned char*>(block) - kHeaderBytes; }

void* RawAllocate(std::size_t total, bool zeroed, std::uint32_t* family) {
  if (sscoreserverflag != 0) {
    *family = kCoreFamily;
    return zeroed ? ss_mem_cal(1, total) : ss_mem_alc(total);
  }
  *family = kHeapFamily;
  return zeroed ? std::calloc(1, total) : std::malloc(total);
}

void* AllocateBlock(std::size_t count, std::size_t size, bool zeroed) {
  std::size_t total = 0;
  if (!SizeFits(count, size, &total) || hook::AttemptFails()) return nullptr;
  std::uint32_t family = 0;
  void* raw = RawAllocate(total, zeroed, &family);
  return raw == nullptr ? nullptr : Payload(raw, family);
}

}  // namespace

void* Allocate(std::size_t size) { return AllocateBlock(1, size, false); }

void* AllocateZeroed(std::size_t count, std::size_t size) { return AllocateBlock(count, size, true); }

void* Reallocate(void* block, std::size_t size) {
  if (block == nullptr) return Allocate(size);
  std::size_t total = 0;
  if (!SizeFits(1, size, &total) || hook::AttemptFails()) return nullptr;
  void* raw = RawBlock(block);
  const std::uint32_t family = static_cast<BlockHeader*>(raw)->family;
  void* moved = family == kCoreFamily ? ss_mem_ral(raw, total) : std::realloc(raw, total);
  if (moved == nullptr) return nullptr;
  return static_cast<unsigned char*>(moved) + kHeaderBytes;
}

void Release(void* block) {
  if (block == nullptr) return;
  void* raw = RawBlock(block);
  hook::CountBlockReleased();
  if (static_cast<BlockHeader*>(raw)->family == kCoreFamily) {
    ss_mem_fre(raw);
  } else {
    std::free(raw);
  }
}

}  // namespace kelnl
