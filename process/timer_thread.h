// The service's background thread: it drives the service about every 30 seconds until the
// event named after its id is signalled.
#ifndef KELNL_PROCESS_TIMER_THREAD_H
#define KELNL_PROCESS_TIMER_THREAD_H

#include <cstdint>

#include "process/timer_records.h"

namespace kelnl::timers {

inline constexpr std::uint32_t kThreadStartDelayMilliseconds = 500;
inline constexpr std::uint32_t kThreadPollMilliseconds = 30000;

// Starts the thread of a published service and records it in the facility. Returns 0, or pushes
// NLE_TIMER_NO_MEMORY (no thread record) or NLE_TIMER_THREAD_FAILED as an operating-system entry
// and returns it; the service then has no thread.
std::int32_t StartTimerThread(NlGlobalContext* context, ServiceRecord* service);

// Stops the thread, if any, and releases its record. The calling thread must not hold the lock.
void StopTimerThread(ServiceRecord* service);

// For tests: thread starts fail with the given platform error until called with 0.
void FailThreadStartsForTesting(std::uint32_t system_error);

}  // namespace kelnl::timers

#endif
