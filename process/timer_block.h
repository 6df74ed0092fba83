// A block of timer slots: the documented header and slots, then, beyond them, the block's own
// search hints and each slot's index data. One allocation, never moved, so a slot's address and
// its data stay put.
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

// What the library keeps per block. Slots are handed out from the first free slot of the first
// block that has one; the hints let that search start where it can first succeed instead of
// walking every full block and slot before it.
struct BlockTail {
  std::uint32_t ordinal;        // position in the group's chain of blocks
  std::int32_t first_free_hint;  // every slot below it is allocated
};

inline std::size_t RoundUp(std::size_t bytes, std::size_t alignment) {
  return (bytes + alignment - 1) / alignment * alignment;
}

inline std::size_t BlockTailOffset(std::size_t slot_count) {
  return RoundUp(sizeof(NlTimerBlock) + slot_count * sizeof(NlTimer), alignof(BlockTail));
}

inline std::size_t SlotDataOffset(std::size_t slot_count) {
  return RoundUp(BlockTailOffset(slot_count) + sizeof(BlockTail), alignof(SlotData));
}

// The bytes of a block of slot_count slots, or 0 when that does not fit in a size_t.
inline std::size_t BlockBytes(std::int32_t slot_count) {
  const auto count = static_cast<std::size_t>(slot_count);
  const std::size_t per_slot = sizeof(NlTimer) + sizeof(SlotData);
  const std::size_t fixed = sizeof(NlTimerBlock) + sizeof(BlockTail) + alignof(BlockTail) + alignof(SlotData);
  if (count > (SIZE_MAX - fixed) / per_slot) return 0;
  return SlotDataOffset(count) + count * sizeof(SlotData);
}

inline BlockTail* BlockTailOf(NlTimerBlock* block) {
  return reinterpret_cast<BlockTail*>(reinterpret_cast<unsigned char*>(block) +
                                      BlockTailOffset(static_cast<std::size_t>(block->slot_count)));
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
