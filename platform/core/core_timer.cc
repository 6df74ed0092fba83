// The core services' stopwatch timer.
#include "platform/core/allocator.h"
#include "platform/core/core.h"

namespace {

constexpr std::int32_t kNoTimer = 1;

struct CoreTimer {
  std::uint32_t started;  // centiseconds, as sltmgcs counts them
  std::uint32_t stopped;
  bool running;
};

}  // namespace

extern "C" {

void* ltmini(SlCoreError* error) {
  auto* timer = static_cast<CoreTimer*>(kelnl::AllocateZeroed(1, sizeof(CoreTimer)));
  if (timer == nullptr) return nullptr;
  timer->started = sltmgcs(error);
  timer->running = true;
  return timer;
}

std::uint32_t ltmela(SlCoreError* error, const void* timer) {
  if (timer == nullptr) return 0;
  const auto* core_timer = static_cast<const CoreTimer*>(timer);
  // Unsigned arithmetic keeps the difference right across the clock's wrap.
  const std::uint32_t end = core_timer->running ? sltmgcs(error) : core_timer->stopped;
  return end - core_timer->started;
}

std::int32_t ltmdei(SlCoreError* error, void* timer) {
  if (timer == nullptr) return kNoTimer;
  auto* core_timer = static_cast<CoreTimer*>(timer);
  if (core_timer->running) {
    core_timer->stopped = sltmgcs(error);
    core_timer->running = false;
  }
  return 0;
}

}  // extern "C"
