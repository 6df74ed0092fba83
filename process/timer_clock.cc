// snltmgcs, nltmdif and the service's clock.
#include "process/timer_clock.h"

#include <atomic>

#include "kelnl/nltm.h"
#include "platform/os/os.h"

namespace kelnl::timers {
namespace {

std::atomic<ClockSource> g_clock_source{nullptr};

std::uint64_t WallCentiseconds() {
  std::int64_t seconds = 0;
  std::uint32_t milliseconds = 0;
  os::TimeOfDay(&seconds, &milliseconds);
  return static_cast<std::uint64_t>(seconds) * 100 + milliseconds / 10;
}

}  // namespace

std::uint64_t NowCentiseconds() {
  const ClockSource source = g_clock_source.load(std::memory_order_acquire);
  return source != nullptr ? source() : WallCentiseconds();
}

void SetClockForTesting(ClockSource source) { g_clock_source.store(source, std::memory_order_release); }

}  // namespace kelnl::timers

extern "C" uint32_t snltmgcs(NlOsErrorRecord* /*error_record*/) {
  return static_cast<std::uint32_t>(kelnl::timers::WallCentiseconds());
}

extern "C" uint32_t nltmdif(uint32_t* last_time) {
  if (last_time == nullptr) return 0;
  const std::uint32_t now = snltmgcs(nullptr);
  const std::uint32_t elapsed = now - *last_time;
  *last_time = now;
  return elapsed;
}
