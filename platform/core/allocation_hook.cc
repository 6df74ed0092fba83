#include "platform/core/allocation_hook.h"

#include <atomic>
#include <cstdlib>

namespace kelnl::allocation_hook {
namespace {

std::atomic<long> g_attempts{0};
std::atomic<long> g_fail_at{0};
std::atomic<bool> g_sticky{false};
std::atomic<bool> g_failed{false};
std::atomic<long> g_live{0};

}  // namespace

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

bool AttemptFails() {
  const long attempt = g_attempts.fetch_add(1, std::memory_order_relaxed) + 1;
  const long fail_at = g_fail_at.load(std::memory_order_relaxed);
  if (fail_at <= 0) return false;
  const bool fail = attempt == fail_at || (attempt > fail_at && g_sticky.load());
  if (fail) g_failed.store(true);
  return fail;
}

void CountBlockAllocated() { g_live.fetch_add(1, std::memory_order_relaxed); }

void CountBlockReleased() { g_live.fetch_sub(1, std::memory_order_relaxed); }

void* HeapAllocate(std::size_t size) {
  if (AttemptFails()) return nullptr;
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block != nullptr) CountBlockAllocated();
  return block;
}

void HeapRelease(void* block) {
  if (block == nullptr) return;
  CountBlockReleased();
  std::free(block);
}

}  // namespace kelnl::allocation_hook
