#include <windows.h>
#include <sys/timeb.h>

#include "platform/os/os.h"

namespace kelnl::os {

std::int64_t WallClockMilliseconds() {
  // FILETIME counts 100 ns intervals since 1601-01-01.
  constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000LL;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks;
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  return (static_cast<std::int64_t>(ticks.QuadPart) - kUnixEpochIn100ns) / 10000;
}

void TimeOfDay(std::int64_t* seconds, std::uint32_t* milliseconds) {
  _timeb now;
  _ftime(&now);
  *seconds = now.time;
  *milliseconds = now.millitm;
}

std::uint32_t TickCount() { return GetTickCount(); }

std::uint32_t ProcessId() { return GetCurrentProcessId(); }

std::uint32_t ThreadId() { return GetCurrentThreadId(); }

// Sleep(0) gives the rest of the time slice away, which is what a zero sleep means here.
void SleepMilliseconds(std::uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace kelnl::os
