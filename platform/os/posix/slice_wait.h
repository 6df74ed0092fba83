// Waiting on a semaphore another process posts: in short slices, so that the waiter can check
// between them that the other process still lives instead of waiting for a post that will never
// come.
#ifndef KELNL_PLATFORM_OS_POSIX_SLICE_WAIT_H
#define KELNL_PLATFORM_OS_POSIX_SLICE_WAIT_H

#include <semaphore.h>

#include <cerrno>
#include <ctime>

namespace kelnl::os {

inline constexpr long kWaitSliceNanoseconds = 100L * 1000 * 1000;

enum class SliceWait { kPosted, kTimedOut, kFailed };

inline SliceWait WaitOneSlice(sem_t* semaphore) {
  timespec deadline{};
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_nsec += kWaitSliceNanoseconds;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000L;
  }
  if (sem_timedwait(semaphore, &deadline) == 0) return SliceWait::kPosted;
  return errno == ETIMEDOUT || errno == EINTR ? SliceWait::kTimedOut : SliceWait::kFailed;
}

}  // namespace kelnl::os

#endif
