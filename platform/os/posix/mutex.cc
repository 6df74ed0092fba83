#include <pthread.h>
#include <sched.h>

#include <new>

#include "platform/os/os.h"

namespace kelnl::os {

static_assert(sizeof(pthread_mutex_t) <= kMutexStorageBytes, "mutex storage too small");
static_assert(alignof(pthread_mutex_t) <= alignof(void*), "mutex storage misaligned");

bool MutexInit(void* storage) {
  // A default mutex is not recursive, which is what callers of the core services expect.
  auto* mutex = new (storage) pthread_mutex_t;
  return pthread_mutex_init(mutex, nullptr) == 0;
}

void MutexDestroy(void* storage) { pthread_mutex_destroy(static_cast<pthread_mutex_t*>(storage)); }

void MutexLock(void* storage) { pthread_mutex_lock(static_cast<pthread_mutex_t*>(storage)); }

void MutexUnlock(void* storage) { pthread_mutex_unlock(static_cast<pthread_mutex_t*>(storage)); }

void YieldThread() { sched_yield(); }

bool RecursiveMutexInit(void* storage) {
  static_assert(sizeof(pthread_mutex_t) <= kRecursiveMutexStorageBytes, "recursive mutex storage too small");
  pthread_mutexattr_t attributes;
  if (pthread_mutexattr_init(&attributes) != 0) return false;
  const bool made = pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE) == 0 &&
                    pthread_mutex_init(new (storage) pthread_mutex_t, &attributes) == 0;
  pthread_mutexattr_destroy(&attributes);
  return made;
}

void RecursiveMutexDestroy(void* storage) { MutexDestroy(storage); }

void RecursiveMutexLock(void* storage) { MutexLock(storage); }

void RecursiveMutexUnlock(void* storage) { MutexUnlock(storage); }

}  // namespace kelnl::os
