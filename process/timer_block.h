// A block of timer slots: the documented header and slots, then, beyond them, each slot's index
// data. One allocation, never moved, so a slot's address and its data stay put.
#ifndef KELNL_PROCESS_TIMER_BLOCK_H
#define KELNL_PROCESS_TIMER_BLOCK_H

#include <cstddef>
#include <cstdint>

#include "kelnl/nltm.h"
#include "process/timer_index.h"

namespace kelnl::timers {

struct SlotData {
  TimerRun* run;       // the run the slot belongs to while running
  TimerRun spare_run;  // the slot's contribution to the group's pool of runs
};

inline std::size_t SlotDataOffset(std::size_t slot_count) {
  const std::size_t end_of_slots = sizeof(NlTimerBlock) + slot_count * sizeof(NlTimer);
  return (end_of_slots + alignof(SlotData) - 1) / alignof(SlotData) * alignof(SlotData);
}

// The bytes of a block of slot_count slots, or 0 when that does not fit in a size_t.
inline std::size_t BlockBytes(std::int32_t slot_count) {
  const auto count = static_cast<std::size_t>(slot_count);
  const std::size_t per_slot = sizeof(NlTimer) + sizeof(SlotData);
  if (count > (SIZE_MAX - sizeof(NlTimerBlock) - alignof(SlotData)) / per_slot) return 0;
  return SlotDataOffset(count) + count * sizeof(SlotData);
}

inline NlTimer* SlotsOf(NlTimerBlock* block) { return NL_TIMER_BLOCK_SLOTS(block); }

inline SlotData* SlotDataOf(NlTimerBlock* block) {
  return reinterpret_cast<SlotData*>(reinterpret_cast<unsigned char*>(block) +
                                     SlotDataOffset(static_cast<std::size_t>(block->slot_count)));
}

inline SlotData* SlotDataOf(NlTimer* timer) {
  NlTimerBlock* block = timer->block;
  return SlotDataOf(block) + (timer - SlotsOf(block));
}

}  // namespace kelnl::timers

#endif
