// The operating-system layer. Portable code reaches the OS only through these declarations;
// the build compiles exactly one backend (posix/ or win32/). Backends convert native errors into
// the results documented here at the call site.
#ifndef KELNL_PLATFORM_OS_OS_H
#define KELNL_PLATFORM_OS_OS_H

#include <cstddef>
#include <cstdint>

namespace kelnl::os {

// ---- Thread-local slot for per-thread global contexts ------------------------------------
// One process-wide slot. On Windows it is the TLS slot the DLL entry point allocates, filled at
// thread attach and emptied at thread detach. POSIX has no thread attach: a thread's value is
// made at its first request and released by a thread-specific key's destructor at thread end.
void* GetThreadSlot();
// Returns false when the slot could not be created or set.
bool SetThreadSlot(void* value);
// True when the backend makes a thread's value at its first request (POSIX).
bool ThreadSlotFilledOnFirstUse();

// Implemented by the portable library, called by the backend: the value a new thread gets
// (null when it gets none) and the release of a thread's value when the thread ends.
void* CreateThreadValue();
void ReleaseThreadValue(void* value);

// ---- Mutexes --------------------------------------------------------------------------------
// Non-recursive mutexes in caller storage of at least kMutexStorageBytes, pointer-aligned.
inline constexpr std::size_t kMutexStorageBytes = 6 * sizeof(void*);
bool MutexInit(void* storage);
void MutexDestroy(void* storage);
void MutexLock(void* storage);
void MutexUnlock(void* storage);

void YieldThread();

// ---- Environment ----------------------------------------------------------------------------
// Copies the value of the environment variable (name of name_length bytes, not terminated) into
// buffer without a terminator. Returns the value's full length (which may exceed size, in which
// case only size bytes were copied), or -1 when the variable is not set.
long GetEnvironment(const char* name, std::size_t name_length, char* buffer, std::size_t size);

// ---- File names -------------------------------------------------------------------------------
// The character that separates directories in a path: '\\' on Windows, '/' elsewhere.
char PathSeparator();

// ---- Clock, process and thread ------------------------------------------------------------------
// Wall-clock time in milliseconds since 1970-01-01 UTC.
std::int64_t WallClockMilliseconds();
std::uint32_t ProcessId();
std::uint32_t ThreadId();

// ---- Memory -----------------------------------------------------------------------------------
// True when every byte of [address, address + length) can be read (the IsBadReadPtr test).
bool IsReadable(const void* address, std::size_t length);

}  // namespace kelnl::os

#endif
