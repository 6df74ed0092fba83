#include "platform/core/allocator.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/core/core.h"

namespace kelnl {

namespace {

// Blocks carry no header: a block the library hands to a caller is, in an ordinary process, a
// plain C heap block the caller may free(). The core-services family knows its own blocks, so a
// release after sscoreserverflag changed still reaches the family that allocated the block.

std::atomic<long> g_attempts{0};
std::atomic<long> g_fail_at{0};
std::atomic<bool> g_sticky{false};
std::atomic<bool> g_failed{false};
std::atomic<long> g_live{0};

bool ShouldFail() {
  const long attempt = g_attempts.fetch_add(1, std::memory_order_relaxed) + 1;
  const long fail_at = g_fail_at.load(std::memory_order_relaxed);
  if (fail_at <= 0) return false;
  const bool fail = attempt == fail_at || (attempt > fail_at && g_sticky.load());
  if (fail) g_failed.store(true);
  return fail;
}

void* Counted(void* block) {
  if (block != nullptr) g_live.fetch_add(1, std::memory_order_relaxed);
  return block;
}

}  // namespace

void* Allocate(std::size_t size) {
  if (ShouldFail()) return nullptr;
  return Counted(sscoreserverflag != 0 ? ss_mem_alc(size) : std::malloc(size == 0 ? 1 : size));
}

void* AllocateZeroed(std::size_t count, std::size_t size) {
  if (size != 0 && count > SIZE_MAX / size) return nullptr;
  if (ShouldFail()) return nullptr;
  if (sscoreserverflag != 0) return Counted(ss_mem_cal(count, size));
  return Counted(std::calloc(count == 0 ? 1 : count, size == 0 ? 1 : size));
}

void* Reallocate(void* block, std::size_t size) {
  if (block == nullptr) return Allocate(size);
  if (ShouldFail()) return nullptr;
  if (CoreFamilyOwns(block)) return ss_mem_ral(block, size);
  return std::realloc(block, size == 0 ? 1 : size);
}

void Release(void* block) {
  if (block == nullptr) return;
  g_live.fetch_sub(1, std::memory_order_relaxed);
  if (CoreFamilyOwns(block)) {
    ss_mem_fre(block);
  } else {
    std::free(block);
  }
}

namespace allocation_hook {

void FailNth(long n, bool sticky) {
  g_sticky.store(sticky);
  g_failed.store(false);
  g_attempts.store(0);
  g_fail_at.store(n);
}

void Disarm() { FailNth(0, false); }

long Attempts() { return g_attempts.load(); }

bool Failed() { return g_failed.load(); }

long LiveBlocks() { return g_live.load(); }

}  // namespace allocation_hook
}  // namespace kelnl
