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

// A critical section may be entered again by its owner.
static_assert(sizeof(CRITICAL_SECTION) <= kRecursiveMutexStorageBytes, "recursive mutex storage too small");

bool RecursiveMutexInit(void* storage) {
  InitializeCriticalSection(new (storage) CRITICAL_SECTION);
  return true;
}

void RecursiveMutexDestroy(void* storage) { DeleteCriticalSection(static_cast<CRITICAL_SECTION*>(storage)); }

void RecursiveMutexLock(void* storage) { EnterCriticalSection(static_cast<CRITICAL_SECTION*>(storage)); }

void RecursiveMutexUnlock(void* storage) { LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(storage)); }

}  // namespace kelnl::os
