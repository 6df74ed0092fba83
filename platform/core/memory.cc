// The core-services allocator family. Its blocks come from the C heap, but the family keeps a
// registry of the blocks it handed out, so that a release can tell its blocks from C heap ones
// without a header in front of the block: blocks the library returns to callers must be plain
// C heap blocks in an ordinary process, which the caller frees with free().
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/core/core.h"
#include "platform/os/os.h"

extern "C" {
int32_t sscoreserverflag = 0;
}

namespace {

// An open-addressing set of block addresses with linear probing and backward-shift deletion.
struct BlockRegistry {
  std::uintptr_t* slots = nullptr;
  std::size_t capacity = 0;  // a power of two
  std::size_t count = 0;
};

BlockRegistry g_registry;
std::atomic<long> g_blocks{0};
SltsInitLock g_registry_lock;

class RegistryGuard {
 public:
  RegistryGuard() { sltsima(&g_registry_lock); }
  ~RegistryGuard() { sltsimr(&g_registry_lock); }
};

std::size_t HomeOf(std::uintptr_t block, std::size_t capacity) {
  return static_cast<std::size_t>((block >> 4) * 0x9E3779B97F4A7C15ull) & (capacity - 1);
}

bool GrowRegistry() {
  const std::size_t capacity = g_registry.capacity == 0 ? 64 : g_registry.capacity * 2;
  auto* slots = static_cast<std::uintptr_t*>(std::calloc(capacity, sizeof(std::uintptr_t)));
  if (slots == nullptr) return false;
  for (std::size_t i = 0; i < g_registry.capacity; ++i) {
    const std::uintptr_t block = g_registry.slots[i];
    if (block == 0) continue;
    std::size_t slot = HomeOf(block, capacity);
    while (slots[slot] != 0) slot = (slot + 1) & (capacity - 1);
    slots[slot] = block;
  }
  std::free(g_registry.slots);
  g_registry.slots = slots;
  g_registry.capacity = capacity;
  return true;
}

bool Register(void* pointer) {
  const auto block = reinterpret_cast<std::uintptr_t>(pointer);
  if ((g_registry.count + 1) * 2 > g_registry.capacity && !GrowRegistry()) return false;
  std::size_t slot = HomeOf(block, g_registry.capacity);
  while (g_registry.slots[slot] != 0) slot = (slot + 1) & (g_registry.capacity - 1);
  g_registry.slots[slot] = block;
  g_registry.count += 1;
  return true;
}

// Returns the slot of a registered block, or capacity when it is not registered.
std::size_t Find(const void* pointer) {
  const auto block = reinterpret_cast<std::uintptr_t>(pointer);
  if (g_registry.capacity == 0) return 0;
  for (std::size_t slot = HomeOf(block, g_registry.capacity);; slot = (slot + 1) & (g_registry.capacity - 1)) {
    if (g_registry.slots[slot] == block) return slot;
    if (g_registry.slots[slot] == 0) return g_registry.capacity;
  }
}

void Unregister(std::size_t slot) {
  const std::size_t mask = g_registry.capacity - 1;
  g_registry.slots[slot] = 0;
  g_registry.count -= 1;
  // Shift later members of the run back so that no lookup stops early at the new hole.
  for (std::size_t next = (slot + 1) & mask; g_registry.slots[next] != 0; next = (next + 1) & mask) {
    const std::size_t home = HomeOf(g_registry.slots[next], g_registry.capacity);
    const bool movable = slot <= next ? (home <= slot || home > next) : (home <= slot && home > next);
    if (movable) {
      g_registry.slots[slot] = g_registry.slots[next];
      g_registry.slots[next] = 0;
      slot = next;
    }
  }
}

}  // namespace

namespace kelnl {

bool CoreFamilyOwns(const void* block) {
  if (block == nullptr || g_blocks.load(std::memory_order_acquire) == 0) return false;
  RegistryGuard guard;
  return Find(block) < g_registry.capacity;
}

}  // namespace kelnl

extern "C" {

void* ss_mem_alc(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) return nullptr;
  {
    RegistryGuard guard;
    if (!Register(block)) {
      std::free(block);
      return nullptr;
    }
  }
  g_blocks.fetch_add(1, std::memory_order_release);
  return block;
}

void* ss_mem_cal(std::size_t count, std::size_t size) {
  if (size != 0 && count > SIZE_MAX / size) return nullptr;
  void* block = ss_mem_alc(count * size);
  if (block != nullptr) std::memset(block, 0, count * size);
  return block;
}

void* ss_mem_ral(void* block, std::size_t size) {
  if (block == nullptr) return ss_mem_alc(size);
  RegistryGuard guard;
  const std::size_t slot = Find(block);
  if (slot >= g_registry.capacity) return nullptr;  // not ours: refuse rather than corrupt the heap
  void* moved = std::realloc(block, size == 0 ? 1 : size);
  if (moved != nullptr && moved != block) {
    // The count is unchanged by the swap, so registering the new address never needs to grow.
    Unregister(slot);
    Register(moved);
  }
  return moved;
}

void ss_mem_fre(void* block) {
  if (block == nullptr) return;
  {
    RegistryGuard guard;
    const std::size_t slot = Find(block);
    if (slot >= g_registry.capacity) return;
    Unregister(slot);
  }
  g_blocks.fetch_sub(1, std::memory_order_release);
  std::free(block);
}

}  // extern "C"
