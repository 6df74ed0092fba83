// The timer service's records as the library allocates them: each documented record comes first
// in a larger one that keeps what only the library needs (the service lock, the index of running
// timers, per-slot index data), so the documented layouts stay exactly as callers see them.
#ifndef KELNL_PROCESS_TIMER_RECORDS_H
#define KELNL_PROCESS_TIMER_RECORDS_H

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "kelnl/nltm.h"
#include "platform/os/os.h"
#include "process/timer_index.h"

namespace kelnl::timers {

inline constexpr std::int32_t kDefaultSlotsPerBlock = 10;

struct ServiceRecord {
  NlTimerFacility facility;
  // Created only when the group is not single-threaded: a single-threaded service never locks.
  alignas(void*) unsigned char lock[os::kRecursiveMutexStorageBytes];
  bool locking;
};

struct GroupRecord {
  NlTimerGroup group;
  RunIndex index;
  NlTimerBlock* first_free_block_hint;  // every block before it is full; null: the first block
};

static_assert(std::is_standard_layout_v<ServiceRecord> && offsetof(ServiceRecord, facility) == 0);
static_assert(std::is_standard_layout_v<GroupRecord> && offsetof(GroupRecord, group) == 0);

inline ServiceRecord* ServiceOf(NlTimerFacility* facility) { return reinterpret_cast<ServiceRecord*>(facility); }
inline GroupRecord* GroupOf(NlTimerGroup* group) { return reinterpret_cast<GroupRecord*>(group); }
// Every operation works on the first group, the only one there is.
inline GroupRecord* FirstGroup(NlTimerFacility* facility) { return GroupOf(facility->first_group); }

// The context's service, read so that a service published by another thread is seen whole.
NlTimerFacility* LoadFacility(NlGlobalContext* context);
void StoreFacility(NlGlobalContext* context, NlTimerFacility* facility);

// The service lock, taken only when the service locks. C-like on purpose: the driver's
// callbacks run between the two calls.
void LockService(ServiceRecord* service);
void UnlockService(ServiceRecord* service);

class ServiceLockGuard {
 public:
  explicit ServiceLockGuard(NlTimerFacility* facility) : service_(ServiceOf(facility)) { LockService(service_); }
  ~ServiceLockGuard() { UnlockService(service_); }
  ServiceLockGuard(const ServiceLockGuard&) = delete;
  ServiceLockGuard& operator=(const ServiceLockGuard&) = delete;

 private:
  ServiceRecord* service_;
};

// Pushes code (facility 1, no arguments) on the context's error stack and returns it.
std::int32_t PushTimerError(NlGlobalContext* context, std::int32_t code);
// Pushes code as an operating-system entry carrying the platform's error value.
std::int32_t PushTimerSystemError(NlGlobalContext* context, std::int32_t code, std::uint32_t system_error);

}  // namespace kelnl::timers

#endif
