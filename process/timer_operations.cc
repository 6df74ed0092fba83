// Slots and their timers: nltmntm, nltmstm, nltmctm, nltmftm, nltmtxp; and nltmngid.
#include "kelnl/nlerrors.h"
#include "process/timer_clock.h"
#include "process/timer_records.h"
#include "process/timer_slots.h"

using namespace kelnl::timers;

namespace {

// The context's service, or null after pushing NLE_TIMER_NOT_STARTED (nothing is pushed for a
// null context, which has no error stack).
NlTimerFacility* ServiceOrPush(NlGlobalContext* context) {
  if (context == nullptr) return nullptr;
  NlTimerFacility* facility = LoadFacility(context);
  if (facility == nullptr) PushTimerError(context, NLE_TIMER_NOT_STARTED);
  return facility;
}

}  // namespace

extern "C" int32_t nltmntm(NlGlobalContext* context, NlTimerCallback callback, void* callback_argument,
                           int32_t user_value, NlTimer** timer_out) {
  if (context == nullptr) return NLE_TIMER_NOT_STARTED;
  if (timer_out == nullptr) return PushTimerError(context, NLE_TIMER_NOT_ALLOCATED);
  *timer_out = nullptr;
  NlTimerFacility* facility = LoadFacility(context);
  if (facility == nullptr) {
    // A service whose thread failed to start is still usable; its error is already pushed.
    const std::int32_t result = nltmini(context, kDefaultSlotsPerBlock, 0);
    facility = LoadFacility(context);
    if (facility == nullptr) return result;
  }
  const ServiceLockGuard lock(facility);
  NlTimer* timer = AllocateSlot(FirstGroup(facility));
  if (timer == nullptr) return PushTimerError(context, NLE_TIMER_NO_MEMORY);
  timer->callback = callback;
  timer->callback_argument = callback_argument;
  timer->user_value = user_value;
  *timer_out = timer;
  return 0;
}

extern "C" int32_t nltmstm(NlGlobalContext* context, NlTimer* timer, uint32_t delay) {
  NlTimerFacility* facility = ServiceOrPush(context);
  if (facility == nullptr) return NLE_TIMER_NOT_STARTED;
  const ServiceLockGuard lock(facility);
  GroupRecord* group = FirstGroup(facility);
  if (!IsAllocatedHere(group, timer)) return PushTimerError(context, NLE_TIMER_NOT_ALLOCATED);
  if ((timer->state & NL_TIMER_RUNNING) != 0) UnlinkRunning(&group->group, &group->index, timer);
  LinkRunning(&group->group, &group->index, timer, NowCentiseconds() + delay);
  return 0;
}

extern "C" int32_t nltmctm(NlGlobalContext* context, NlTimer* timer) {
  NlTimerFacility* facility = ServiceOrPush(context);
  if (facility == nullptr) return NLE_TIMER_NOT_STARTED;
  const ServiceLockGuard lock(facility);
  GroupRecord* group = FirstGroup(facility);
  if (IsAllocatedHere(group, timer) && (timer->state & NL_TIMER_RUNNING) != 0) {
    UnlinkRunning(&group->group, &group->index, timer);
  }
  return 0;
}

extern "C" int32_t nltmftm(NlGlobalContext* context, NlTimer* timer) {
  NlTimerFacility* facility = ServiceOrPush(context);
  if (facility == nullptr) return NLE_TIMER_NOT_STARTED;
  const ServiceLockGuard lock(facility);
  GroupRecord* group = FirstGroup(facility);
  if (IsAllocatedHere(group, timer)) FreeSlot(group, timer);
  return 0;
}

extern "C" int32_t nltmtxp(NlGlobalContext* context, NlTimer* timer, int32_t* remaining_out) {
  NlTimerFacility* facility = ServiceOrPush(context);
  if (facility == nullptr) return NLE_TIMER_NOT_STARTED;
  const ServiceLockGuard lock(facility);
  std::int32_t remaining = 0;
  if (IsAllocatedHere(FirstGroup(facility), timer) && (timer->state & NL_TIMER_RUNNING) != 0) {
    remaining = static_cast<std::int32_t>(timer->expiry - static_cast<std::uint32_t>(NowCentiseconds()));
  }
  if (remaining_out != nullptr) *remaining_out = remaining;
  return 0;
}

extern "C" int32_t nltmngid(NlGlobalContext* context, uint32_t* id_out) {
  NlTimerFacility* facility = ServiceOrPush(context);
  if (facility == nullptr) return NLE_TIMER_NOT_STARTED;
  const ServiceLockGuard lock(facility);
  const std::uint32_t id = ++facility->last_id;
  if (id_out != nullptr) *id_out = id;
  return 0;
}
