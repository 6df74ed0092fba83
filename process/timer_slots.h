// Giving out and taking back timer slots of a group. Callers hold the service lock.
#ifndef KELNL_PROCESS_TIMER_SLOTS_H
#define KELNL_PROCESS_TIMER_SLOTS_H

#include "process/timer_records.h"

namespace kelnl::timers {

// An allocated slot, cleared, or null when a new block was needed and memory ran out (the group
// then keeps what it had).
NlTimer* AllocateSlot(GroupRecord* group);

// Stops the timer if running and gives the slot back. The block stays.
void FreeSlot(GroupRecord* group, NlTimer* timer);

// True when timer is a slot of this group that is given out.
bool IsAllocatedHere(const GroupRecord* group, const NlTimer* timer);

// Releases every block of the group.
void ReleaseBlocks(GroupRecord* group);

}  // namespace kelnl::timers

#endif
