// Slots, blocks, sequence numbers and the service's error codes.
#include <ctime>

#include "platform/core/allocator.h"
#include "tests/process/timer_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace {

using kelnl::testing::TimerTest;
using TimerService = TimerTest;

TEST_F(TimerService, WithoutServiceEveryOperationPushesNotStarted) {
  NlTimer slot{};
  std::int32_t remaining = 0;
  std::uint32_t id = 0;
  EXPECT_EQ(nltmstm(&context_, &slot, 1), NLE_TIMER_NOT_STARTED);
  EXPECT_EQ(nltmctm(&context_, &slot), NLE_TIMER_NOT_STARTED);
  EXPECT_EQ(nltmftm(&context_, &slot), NLE_TIMER_NOT_STARTED);
  EXPECT_EQ(nltmtxp(&context_, &slot, &remaining), NLE_TIMER_NOT_STARTED);
  EXPECT_EQ(nltmngid(&context_, &id), NLE_TIMER_NOT_STARTED);
  EXPECT_EQ(context_.error_stack->depth, 5);
  EXPECT_EQ(TopCode(), static_cast<std::uint32_t>(NLE_TIMER_NOT_STARTED));
  EXPECT_EQ(nlergmfi(context_.error_stack, 1), 1u);
  EXPECT_EQ(nltmdei(&context_), 0) << "ending no service is fine";
  EXPECT_EQ(nltmstm(nullptr, &slot, 1), NLE_TIMER_NOT_STARTED) << "no context, nothing to push on";
}

TEST_F(TimerService, OnlyAllocatedSlotsOfThisServiceStart) {
  StartSingleThreaded();
  NlTimer* timer = NewTimer();
  ASSERT_EQ(nltmftm(&context_, timer), 0);
  EXPECT_EQ(nltmstm(&context_, timer, 1), NLE_TIMER_NOT_ALLOCATED);
  EXPECT_EQ(TopCode(), static_cast<std::uint32_t>(NLE_TIMER_NOT_ALLOCATED));
  EXPECT_EQ(nltmctm(&context_, timer), 0) << "stopping or freeing a free slot does nothing";
  EXPECT_EQ(nltmftm(&context_, timer), 0);
  EXPECT_EQ(Group()->slots_in_use, 0);

  NlGlobalContext other{};
  ASSERT_EQ(nltmini(&other, 10, NL_TIMER_SINGLE_THREADED), 0);
  NlTimer* foreign = nullptr;
  ASSERT_EQ(nltmntm(&other, nullptr, nullptr, 0, &foreign), 0);
  EXPECT_EQ(nltmstm(&context_, foreign, 1), NLE_TIMER_NOT_ALLOCATED);
  EXPECT_EQ(nltmftm(&context_, foreign), 0);
  EXPECT_EQ(foreign->state, static_cast<std::uint32_t>(NL_TIMER_ALLOCATED)) << "another service's slot is left alone";
  EXPECT_EQ(nltmdei(&other), 0);
}

TEST_F(TimerService, SlotsComeFromBlocksAndFreedOnesAreReusedInBlockOrder) {
  StartSingleThreaded();
  std::vector<NlTimer*> timers;
  for (int i = 0; i < 30; ++i) timers.push_back(NewTimer());
  NlTimerGroup* group = Group();
  EXPECT_EQ(group->slot_total, 30);
  EXPECT_EQ(timers[0], NL_TIMER_BLOCK_SLOTS(group->first_block));
  EXPECT_EQ(timers[10], NL_TIMER_BLOCK_SLOTS(group->first_block->next)) << "the eleventh slot needs a second block";

  ASSERT_EQ(nltmstm(&context_, timers[3], 5), 0);
  for (int i : {25, 7, 3, 15}) ASSERT_EQ(nltmftm(&context_, timers[i]), 0);
  EXPECT_EQ(group->head, nullptr) << "freeing stops a running timer";
  int value = 0;
  NlTimer* again = NewTimer(nullptr, &value, 4);
  EXPECT_EQ(again, timers[3]) << "the first free slot of the first block with one";
  EXPECT_EQ(again->callback_argument, &value) << "a reused slot takes the new caller's data";
  EXPECT_EQ(again->user_value, 4);
  EXPECT_EQ(NewTimer(), timers[7]);
  ASSERT_EQ(nltmftm(&context_, timers[1]), 0);
  for (int i : {1, 15, 25}) EXPECT_EQ(NewTimer(), timers[i]);
  NlTimer* fresh = NewTimer();
  EXPECT_EQ(fresh, NL_TIMER_BLOCK_SLOTS(group->last_block));
  EXPECT_EQ(group->slot_total, 40);
  EXPECT_EQ(nltmntm(&context_, nullptr, nullptr, 0, nullptr), NLE_TIMER_NOT_ALLOCATED);
}

TEST_F(TimerService, SequenceNumbersAndElapsedTime) {
  StartSingleThreaded();
  EXPECT_EQ(nltmini(&context_, 3, 0), 0) << "a second creation keeps the first service";
  std::uint32_t id = 0;
  ASSERT_EQ(nltmngid(&context_, &id), 0);
  ASSERT_EQ(nltmngid(&context_, &id), 0);
  EXPECT_EQ(id, 2u) << "numbers count up from 1";

  const auto wall = static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::time(nullptr)) * 100);
  const std::uint32_t clock = snltmgcs(nullptr);
  EXPECT_LT(static_cast<std::int32_t>(clock - wall), 200);
  EXPECT_GE(static_cast<std::int32_t>(clock - wall), -100);
  std::uint32_t last = clock - 500;
  const std::uint32_t elapsed = nltmdif(&last);
  EXPECT_GE(elapsed, 500u);
  EXPECT_LT(elapsed, 600u);
  EXPECT_GE(static_cast<std::int32_t>(last - clock), 0);
  EXPECT_EQ(nltmdif(nullptr), 0u);
}

TEST_F(TimerService, BlocksMeetFailingAllocations) {
  // Creation is swept with the threaded service, whose allocations include these.
  StartSingleThreaded(2);
  NlTimer* first = NewTimer();
  NewTimer();
  NlTimer* third = first;
  kelnl::allocation_hook::FailNth(1);
  EXPECT_EQ(nltmntm(&context_, nullptr, nullptr, 0, &third), NLE_TIMER_NO_MEMORY);
  kelnl::allocation_hook::Disarm();
  EXPECT_EQ(third, nullptr);
  EXPECT_EQ(TopCode(), static_cast<std::uint32_t>(NLE_TIMER_NO_MEMORY));
  EXPECT_EQ(Group()->slot_total, 2) << "the group keeps what it had";
  ASSERT_EQ(nltmntm(&context_, nullptr, nullptr, 0, &third), 0);
  EXPECT_EQ(Group()->slot_total, 4);

  const long live = kelnl::allocation_hook::LiveBlocks();
  kelnl::allocation_hook::FailNth(1, true);
  EXPECT_EQ(nltmstm(&context_, first, 3), 0) << "starting, stopping and freeing allocate nothing";
  EXPECT_EQ(nltmstm(&context_, third, 3), 0);
  EXPECT_EQ(nltmctm(&context_, first), 0);
  EXPECT_EQ(nltmftm(&context_, third), 0);
  EXPECT_EQ(kelnl::allocation_hook::Attempts(), 0);
  kelnl::allocation_hook::Disarm();
  EXPECT_EQ(kelnl::allocation_hook::LiveBlocks(), live);
}

}  // namespace
