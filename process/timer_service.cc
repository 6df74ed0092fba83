// nltmini and nltmdei: the service of a context comes and goes; and what every operation shares.
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "platform/core/allocator.h"
#include "process/timer_records.h"
#include "process/timer_slots.h"
#include "process/timer_thread.h"

// The records are shared with the product's other components: on 32-bit targets they must be
// word for word the published layouts.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(NlTimer) == 32 && offsetof(NlTimer, block) == 12 && offsetof(NlTimer, callback) == 24);
static_assert(sizeof(NlTimerBlock) == 16 && offsetof(NlTimerBlock, slot_count) == 8);
static_assert(sizeof(NlTimerGroup) == 32 && offsetof(NlTimerGroup, slots_per_block) == 12 &&
              offsetof(NlTimerGroup, last_block) == 28);
static_assert(sizeof(NlTimerFacility) == 16 && offsetof(NlTimerFacility, thread) == 12);
static_assert(sizeof(NlTimerThread) == 12);
#endif

namespace kelnl::timers {
namespace {

// Creating and ending services is rare; one process-wide spin lock keeps two threads from
// creating a context's service twice (nltmntm and nltmdrv create it implicitly).
std::atomic_flag g_lifecycle_lock = ATOMIC_FLAG_INIT;

class LifecycleGuard {
 public:
  LifecycleGuard() {
    while (g_lifecycle_lock.test_and_set(std::memory_order_acquire)) os::YieldThread();
  }
  ~LifecycleGuard() { g_lifecycle_lock.clear(std::memory_order_release); }
  LifecycleGuard(const LifecycleGuard&) = delete;
  LifecycleGuard& operator=(const LifecycleGuard&) = delete;
};

void ReleaseService(ServiceRecord* service) {
  GroupRecord* group = FirstGroup(&service->facility);
  if (group != nullptr) {
    ReleaseBlocks(group);
    Release(group);
  }
  if (service->locking) os::RecursiveMutexDestroy(service->lock);
  Release(service);
}

// The facility with its one group and, unless single-threaded, its lock; null when memory
// runs out.
ServiceRecord* NewService(std::int32_t slots_per_block, std::uint32_t flags) {
  auto* service = static_cast<ServiceRecord*>(AllocateZeroed(1, sizeof(ServiceRecord)));
  if (service == nullptr) return nullptr;
  auto* group = static_cast<GroupRecord*>(AllocateZeroed(1, sizeof(GroupRecord)));
  if (group == nullptr) {
    Release(service);
    return nullptr;
  }
  group->group.flags = flags;
  group->group.slots_per_block = slots_per_block;
  service->facility.first_group = &group->group;
  service->facility.last_group = &group->group;
  if ((flags & NL_TIMER_SINGLE_THREADED) == 0) {
    service->locking = os::RecursiveMutexInit(service->lock);
    if (!service->locking) {
      ReleaseService(service);
      return nullptr;
    }
  }
  return service;
}

}  // namespace

NlTimerFacility* LoadFacility(NlGlobalContext* context) {
  return std::atomic_ref<NlTimerFacility*>(context->timer_facility).load(std::memory_order_acquire);
}

void StoreFacility(NlGlobalContext* context, NlTimerFacility* facility) {
  std::atomic_ref<NlTimerFacility*>(context->timer_facility).store(facility, std::memory_order_release);
}

void LockService(ServiceRecord* service) {
  if (service->locking) os::RecursiveMutexLock(service->lock);
}

void UnlockService(ServiceRecord* service) {
  if (service->locking) os::RecursiveMutexUnlock(service->lock);
}

std::int32_t PushTimerError(NlGlobalContext* context, std::int32_t code) {
  nlerrec(context->error_stack, 1, code, 0);
  return code;
}

std::int32_t PushTimerSystemError(NlGlobalContext* context, std::int32_t code, std::uint32_t system_error) {
  // The entry's first word names what failed; nlergoc reads it back as the code.
  const NlOsErrorRecord record{static_cast<std::uint32_t>(code), system_error, 0};
  nlerrsc(context->error_stack, 1, &record);
  return code;
}

}  // namespace kelnl::timers

using namespace kelnl::timers;

extern "C" int32_t nltmini(NlGlobalContext* context, int32_t slots_per_block, uint32_t flags) {
  if (context == nullptr) return NLE_TIMER_NOT_STARTED;
  const LifecycleGuard guard;
  if (LoadFacility(context) != nullptr) return 0;
  // A block without slots could never give one out.
  if (slots_per_block < 1) slots_per_block = kDefaultSlotsPerBlock;
  ServiceRecord* service = NewService(slots_per_block, flags);
  if (service == nullptr) return PushTimerError(context, NLE_TIMER_NO_MEMORY);
  // Published before the thread starts: the thread finds the service through the context.
  StoreFacility(context, &service->facility);
  if ((flags & NL_TIMER_SINGLE_THREADED) != 0) return 0;
  return StartTimerThread(context, service);
}

extern "C" int32_t nltmdei(NlGlobalContext* context) {
  if (context == nullptr) return 0;
  const LifecycleGuard guard;
  NlTimerFacility* facility = LoadFacility(context);
  if (facility == nullptr) return 0;
  ServiceRecord* service = ServiceOf(facility);
  StopTimerThread(service);
  StoreFacility(context, nullptr);
  ReleaseService(service);
  return 0;
}
