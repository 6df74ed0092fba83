#include <windows.h>

#include <new>

#include "platform/os/os.h"

namespace kelnl::os {

// A slim reader/writer lock taken exclusively: not recursive, and nothing to release.
static_assert(sizeof(SRWLOCK) <= kMutexStorageBytes, "mutex storage too small");

bool MutexInit(void* storage) {
  InitializeSRWLock(new (storage) SRWLOCK);
  return true;
}

void MutexDestroy(void*) {}

void MutexLock(void* storage) { AcquireSRWLockExclusive(static_cast<SRWLOCK*>(storage)); }

void MutexUnlock(void* storage) { ReleaseSRWLockExclusive(static_cast<SRWLOCK*>(storage)); }

void YieldThread() { SwitchToThread(); }

}  // namespace kelnl::os
