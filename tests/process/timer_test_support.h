// A context with an error stack, a clock the test moves, and a look at the running list.
#ifndef KELNL_TESTS_PROCESS_TIMER_TEST_SUPPORT_H
#define KELNL_TESTS_PROCESS_TIMER_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "kelnl/kelnl.h"
#include "process/timer_clock.h"

namespace kelnl::testing {

// Far from zero and just below a 32-bit wrap, so that tests cross it without trying.
inline constexpr std::uint64_t kClockStart = (std::uint64_t{7} << 32) - 250;

// A context with an error stack whose timer service ends with the test.
class TimerContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NlPrimaryErrorRecord record{};
    ASSERT_EQ(nlerinit(&record, &context_.error_stack, nullptr, nullptr), 0);
  }
  void TearDown() override {
    nltmdei(&context_);
    NlPrimaryErrorRecord record{};
    nlerdestroy(&record, &context_.error_stack);
  }
  NlGlobalContext context_{};
};

class TimerTest : public TimerContextTest {
 protected:
  void SetUp() override {
    TimerContextTest::SetUp();
    clock_.store(kClockStart);
    timers::SetClockForTesting([] { return clock_.load(); });
  }
  void TearDown() override {
    nltmdei(&context_);  // before the clock goes back to the real one
    timers::SetClockForTesting(nullptr);
    TimerContextTest::TearDown();
  }

  void StartSingleThreaded(std::int32_t slots_per_block = 10) {
    ASSERT_EQ(nltmini(&context_, slots_per_block, NL_TIMER_SINGLE_THREADED), 0);
  }
  NlTimer* NewTimer(NlTimerCallback callback = nullptr, void* argument = nullptr, std::int32_t value = 0) {
    NlTimer* timer = nullptr;
    EXPECT_EQ(nltmntm(&context_, callback, argument, value, &timer), 0);
    return timer;
  }
  static void Advance(std::uint64_t centiseconds) { clock_ += centiseconds; }
  static std::uint32_t Now() { return static_cast<std::uint32_t>(clock_.load()); }

  NlTimerGroup* Group() { return context_.timer_facility->first_group; }
  // The running list from the head, checking the back links on the way.
  std::vector<NlTimer*> Running() {
    std::vector<NlTimer*> list;
    NlTimer* previous = nullptr;
    for (NlTimer* timer = Group()->head; timer != nullptr; timer = timer->next) {
      EXPECT_EQ(timer->previous, previous);
      EXPECT_NE(timer->state & NL_TIMER_RUNNING, 0u);
      list.push_back(timer);
      previous = timer;
    }
    return list;
  }
  std::uint32_t TopCode() { return nlergoc(context_.error_stack, 1); }

  static inline std::atomic<std::uint64_t> clock_{0};
};

}  // namespace kelnl::testing

#endif
