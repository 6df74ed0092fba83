// nltmdrv: runs the due timers, earliest first.
#include "kelnl/nlerrors.h"
#include "process/timer_clock.h"
#include "process/timer_records.h"

using namespace kelnl::timers;

namespace {

// Runs due timers from the head until the head is not due or none is left. Reads the clock
// before each, as a callback may take time or start timers. Returns the callbacks made.
std::uint32_t RunDueTimers(NlGlobalContext* context, GroupRecord* group, std::uint32_t* last_now) {
  std::uint32_t fired = 0;
  while (NlTimer* head = group->group.head) {
    const auto now = static_cast<std::uint32_t>(NowCentiseconds());
    *last_now = now;
    // Wrapping difference: due exactly now counts as due.
    if (static_cast<std::int32_t>(now - head->expiry) < 0) break;
    UnlinkRunning(&group->group, &group->index, head);
    if (head->callback != nullptr) {
      head->callback(context, head->callback_argument, head, now, head->user_value);
      ++fired;
    }
  }
  return fired;
}

}  // namespace

extern "C" int32_t nltmdrv(NlGlobalContext* context, uint32_t* next_delay_out, uint32_t* fired_out) {
  if (fired_out != nullptr) *fired_out = 0;
  if (next_delay_out != nullptr) *next_delay_out = 0;
  if (context == nullptr) return NLE_TIMER_NOT_STARTED;
  NlTimerFacility* facility = LoadFacility(context);
  if (facility == nullptr) {
    const std::int32_t result = nltmini(context, kDefaultSlotsPerBlock, 0);
    facility = LoadFacility(context);
    if (facility == nullptr) return result;
  }
  // Not a scope guard: this function must stay C-like around the callbacks.
  ServiceRecord* service = ServiceOf(facility);
  LockService(service);
  GroupRecord* group = FirstGroup(facility);
  std::uint32_t last_now = 0;
  const std::uint32_t fired = RunDueTimers(context, group, &last_now);
  std::uint32_t next_delay = 0;
  if (const NlTimer* head = group->group.head) {
    next_delay = head->expiry - last_now;
    if (next_delay == 0) next_delay = 1;
  }
  UnlockService(service);
  if (fired_out != nullptr) *fired_out = fired;
  if (next_delay_out != nullptr) *next_delay_out = next_delay;
  return 0;
}
