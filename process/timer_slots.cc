#include "process/timer_slots.h"

#include "platform/core/allocator.h"
#include "process/timer_block.h"

namespace kelnl::timers {
namespace {

// The index's tables only speed searches up: without memory for them the group works as before.
void GrowSearchTables(RunIndex* index, std::int32_t slot_total) {
  if (slot_total < kRecentRunsFromSlots) return;
  if (index->recent_runs == nullptr) {
    index->recent_runs = static_cast<TimerRun**>(AllocateZeroed(kRecentRunSlots, sizeof(TimerRun*)));
  }
  const auto wanted = static_cast<std::size_t>(slot_total);
  if (index->span_runs != nullptr && wanted <= index->span_mask + 1) return;
  std::size_t entries = 1;
  while (entries < wanted) entries *= 2;
  auto* table = static_cast<TimerRun**>(AllocateZeroed(entries, sizeof(TimerRun*)));
  if (table == nullptr) return;
  Release(index->span_runs);
  index->span_runs = table;
  index->span_mask = entries - 1;
}

NlTimerBlock* NewBlock(GroupRecord* record) {
  NlTimerGroup& group = record->group;
  const std::size_t bytes = BlockBytes(group.slots_per_block);
  auto* block = bytes == 0 ? nullptr : static_cast<NlTimerBlock*>(AllocateZeroed(1, bytes));
  if (block == nullptr) return nullptr;
  block->group = &group;
  block->slot_count = group.slots_per_block;
  SlotData* data = SlotDataOf(block);
  for (std::int32_t i = 0; i < block->slot_count; ++i) {
    AddRunsToPool(&record->index, &data[i].spare_run, 1);
  }
  if (group.last_block == nullptr) {
    group.first_block = block;
  } else {
    BlockTailOf(block)->ordinal = BlockTailOf(group.last_block)->ordinal + 1;
    group.last_block->next = block;
  }
  group.last_block = block;
  group.slot_total += block->slot_count;
  GrowSearchTables(&record->index, group.slot_total);
  return block;
}

// The first free slot of the first block that has one, cleared. Only called when some block
// has one.
NlTimer* FirstFreeSlot(GroupRecord* record) {
  NlTimerBlock* block = record->first_free_block_hint;
  if (block == nullptr) block = record->group.first_block;
  while (block->slots_used == block->slot_count) block = block->next;
  record->first_free_block_hint = block;
  BlockTail* tail = BlockTailOf(block);
  NlTimer* slot = SlotsOf(block) + tail->first_free_hint;
  while ((slot->state & NL_TIMER_ALLOCATED) != 0) ++slot;
  tail->first_free_hint = static_cast<std::int32_t>(slot - SlotsOf(block)) + 1;
  *slot = NlTimer{};
  slot->block = block;
  return slot;
}

}  // namespace

NlTimer* AllocateSlot(GroupRecord* record) {
  NlTimerGroup& group = record->group;
  NlTimer* slot;
  if (group.slots_in_use < group.slot_total) {
    slot = FirstFreeSlot(record);
  } else {
    NlTimerBlock* block = NewBlock(record);
    if (block == nullptr) return nullptr;
    record->first_free_block_hint = block;
    BlockTailOf(block)->first_free_hint = 1;
    slot = SlotsOf(block);
    slot->block = block;
  }
  slot->state = NL_TIMER_ALLOCATED;
  ++slot->block->slots_used;
  ++group.slots_in_use;
  return slot;
}

void FreeSlot(GroupRecord* record, NlTimer* timer) {
  if ((timer->state & NL_TIMER_RUNNING) != 0) UnlinkRunning(&record->group, &record->index, timer);
  timer->state &= ~static_cast<std::uint32_t>(NL_TIMER_ALLOCATED);
  --record->group.slots_in_use;
  NlTimerBlock* block = timer->block;
  --block->slots_used;
  BlockTail* tail = BlockTailOf(block);
  const auto index = static_cast<std::int32_t>(timer - SlotsOf(block));
  if (index < tail->first_free_hint) tail->first_free_hint = index;
  NlTimerBlock* hint = record->first_free_block_hint;
  if (hint != nullptr && tail->ordinal < BlockTailOf(hint)->ordinal) record->first_free_block_hint = block;
}

bool IsAllocatedHere(const GroupRecord* record, const NlTimer* timer) {
  return timer != nullptr && (timer->state & NL_TIMER_ALLOCATED) != 0 && timer->block != nullptr &&
         timer->block->group == &record->group;
}

void ReleaseBlocks(GroupRecord* record) {
  Release(record->index.recent_runs);
  record->index.recent_runs = nullptr;
  Release(record->index.span_runs);
  record->index.span_runs = nullptr;
  NlTimerBlock* block = record->group.first_block;
  while (block != nullptr) {
    NlTimerBlock* next = block->next;
    Release(block);
    block = next;
  }
  record->group.first_block = nullptr;
  record->group.last_block = nullptr;
}

}  // namespace kelnl::timers
