// The clock of the timer service: centiseconds of the wall clock at full width. The documented
// 32-bit times are its low 32 bits.
#ifndef KELNL_PROCESS_TIMER_CLOCK_H
#define KELNL_PROCESS_TIMER_CLOCK_H

#include <cstdint>

namespace kelnl::timers {

std::uint64_t NowCentiseconds();

// For tests: the service reads source instead of the wall clock (null restores the wall clock).
// snltmgcs and nltmdif always read the wall clock.
using ClockSource = std::uint64_t (*)();
void SetClockForTesting(ClockSource source);

}  // namespace kelnl::timers

#endif
