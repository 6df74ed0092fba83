// Registrations of kelzt: one per trace that registered, kept in a process-wide list so that a
// state word handed back by a caller is checked before anything is touched through it.
//
// Locking: the list lock guards the list and every field that configuration, deregistration and
// termination change; a registration's own lock guards its file, key, sequence and enable vector
// while a record is appended. Order: list lock before a registration's lock, and at most one
// registration's lock held at a time.
#ifndef KELNL_PLATFORM_ZTRACE_REGISTRATION_H
#define KELNL_PLATFORM_ZTRACE_REGISTRATION_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/os/os.h"
#include "platform/ztrace/trace_file.h"
#include "platform/ztrace/ztrace.h"

namespace kelzt {

// Failures besides the three the bridge tells apart (ZT_ERROR_* in ztrace.h). Numbers follow
// the C runtime's errno values of the same meaning, so a reader recognises them.
inline constexpr std::int32_t kErrorNoRegistration = 3;  // the state word names no registration
inline constexpr std::int32_t kErrorWriteFailed = 5;     // the trace file refused the bytes
inline constexpr std::int32_t kErrorBadArgument = 22;    // a null pointer, a bad key or type

inline constexpr std::uint32_t kHandleMagic = 0x545a4c4bu;  // "KLZT"

// The block a registration handle points to. The bridge reads its second 32-bit word to learn
// whether the trace is on, without a lock, so the word is atomic; the rest is the library's.
struct Registration {
  std::uint32_t magic = kHandleMagic;
  std::atomic<std::uint32_t> trace_on{0};
  uintptr_t state = 0;  // the value of the caller's state word: a serial, never 0
  Registration* next = nullptr;
  alignas(void*) unsigned char lock[kelnl::os::kMutexStorageBytes];
  char startup_name[kStartupNameBytes + 1] = {};
  std::int32_t enabled[ZT_TYPE_COUNT] = {};
  std::uint8_t key[kKeyBytes] = {};
  std::uint32_t sequence = 0;
  std::FILE* file = nullptr;
  char* file_name = nullptr;  // of the open file, or of the last one; owned
};

// The bridge relies on the on word being the second 32-bit word of the block.
static_assert(sizeof(std::atomic<std::uint32_t>) == 4);
static_assert(offsetof(Registration, trace_on) == ZT_HANDLE_ON_WORD * sizeof(std::uint32_t));

// The list lock, held for the scope of one object.
class ListLock {
 public:
  ListLock();
  ~ListLock();
  ListLock(const ListLock&) = delete;
  ListLock& operator=(const ListLock&) = delete;
};

// All of these expect the list lock held.
Registration* CreateRegistration(const char* startup_name);  // null when memory runs out
Registration* FindRegistration(uintptr_t state);
void DestroyRegistration(Registration* registration);  // unlinks, closes and releases
Registration* FirstRegistration();

void LockRegistration(Registration* registration);
void UnlockRegistration(Registration* registration);

// The file of a configured registration. Configuration opens a file named after trace_name in
// the directory of configuration_path; see trace_file.h for the name. Returns 0 or an error.
std::int32_t OpenTraceFile(Registration* registration, const char* trace_name,
                           const char* configuration_path);
void CloseTraceFile(Registration* registration);

// Appends one record whole; the caller holds the registration's lock. Returns 0 or an error.
std::int32_t AppendRecord(Registration* registration, std::uint16_t type, const void* record,
                          std::uint32_t length, std::uint64_t external_argument);

}  // namespace kelzt

#endif
