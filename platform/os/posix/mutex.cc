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

}  // namespace kelnl::os
