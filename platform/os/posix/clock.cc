#include <pthread.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <sched.h>

#include "platform/os/os.h"

namespace kelnl::os {

std::int64_t WallClockMilliseconds() {
  timeval now{};
  gettimeofday(&now, nullptr);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_usec / 1000;
}

void TimeOfDay(std::int64_t* seconds, std::uint32_t* milliseconds) {
  timeval now{};
  gettimeofday(&now, nullptr);
  *seconds = now.tv_sec;
  *milliseconds = static_cast<std::uint32_t>(now.tv_usec / 1000);
}

std::uint32_t TickCount() {
  // The monotonic clock counts from boot on Linux, as the Windows tick count does.
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000 +
                                    static_cast<std::uint64_t>(now.tv_nsec) / 1000000);
}

std::uint32_t ProcessId() { return static_cast<std::uint32_t>(getpid()); }

std::uint32_t ThreadId() {
#ifdef SYS_gettid
  return static_cast<std::uint32_t>(syscall(SYS_gettid));
#else
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pthread_self()));
#endif
}

void SleepMilliseconds(std::uint32_t milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

}  // namespace kelnl::os
