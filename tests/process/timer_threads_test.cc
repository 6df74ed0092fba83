// The background thread, callers driving from several threads, and the service lock.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "kelnl/kelnl.h"
#include "process/timer_thread.h"
#include "tests/process/timer_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace {

using TimerThreads = kelnl::testing::TimerContextTest;

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

struct Firing {
  std::atomic<bool> fired{false};
  std::thread::id on;
};

void NoteFiring(NlGlobalContext*, void* argument, NlTimer*, std::uint32_t, std::int32_t) {
  auto* firing = static_cast<Firing*>(argument);
  firing->on = std::this_thread::get_id();
  firing->fired.store(true);
}

#ifdef __linux__
std::string ThreadName(std::uint32_t thread_id) {
  std::ifstream comm("/proc/self/task/" + std::to_string(thread_id) + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}
#endif

TEST_F(TimerThreads, TheServiceThreadRunsDueTimersUntilTheServiceEnds) {
  Firing firing;
  NlTimer* timer = nullptr;
  ASSERT_EQ(nltmntm(&context_, NoteFiring, &firing, 0, &timer), 0) << "creates a threaded service";
  ASSERT_EQ(nltmstm(&context_, timer, 0), 0);
  NlTimerFacility* facility = context_.timer_facility;
  ASSERT_NE(facility, nullptr);
  EXPECT_EQ(facility->first_group->slots_per_block, 10);
  ASSERT_NE(facility->thread, nullptr);
  const std::uint32_t thread_id = facility->thread->thread_id;
  EXPECT_NE(thread_id, 0u);
  // Its first drive comes half a second after it starts, the next 30 seconds later.
  ASSERT_TRUE(WaitFor([&] { return firing.fired.load(); }, std::chrono::seconds(45)));
  EXPECT_NE(firing.on, std::this_thread::get_id());
#ifdef __linux__
  char expected[16];
  std::snprintf(expected, sizeof expected, "Timer%X", thread_id);
  EXPECT_EQ(ThreadName(thread_id), expected);
#endif
  const auto before = std::chrono::steady_clock::now();
  ASSERT_EQ(nltmdei(&context_), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5)) << "the stop ends its wait";
  EXPECT_EQ(context_.timer_facility, nullptr);
#ifdef __linux__
  EXPECT_EQ(ThreadName(thread_id), "") << "the thread is gone";
#endif
}

// Callbacks run under the service lock: never two at once, and they may take it again.
std::atomic<int> g_inside{0};
std::atomic<int> g_overlaps{0};
std::atomic<int> g_fired{0};

void Exclusive(NlGlobalContext* context, void* argument, NlTimer*, std::uint32_t, std::int32_t) {
  if (g_inside.fetch_add(1) != 0) ++g_overlaps;
  std::uint32_t id = 0;
  EXPECT_EQ(nltmngid(context, &id), 0);
  ++g_fired;
  static_cast<std::atomic<bool>*>(argument)->store(true);
  g_inside.fetch_sub(1);
}

TEST_F(TimerThreads, CallersDriveFromSeveralThreadsUnderOneLock) {
  ASSERT_EQ(nltmini(&context_, 16, 0), 0);
  constexpr int kWorkers = 4;
  constexpr int kRounds = 300;
  g_fired = 0;
  g_overlaps = 0;
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      for (int round = 0; round < kRounds; ++round) {
        std::atomic<bool> fired{false};
        NlTimer* timer = nullptr;
        NlTimer* idle = nullptr;
        ASSERT_EQ(nltmntm(&context_, Exclusive, &fired, w, &timer), 0);
        ASSERT_EQ(nltmntm(&context_, Exclusive, &fired, w, &idle), 0);
        ASSERT_EQ(nltmstm(&context_, idle, 100000), 0);
        ASSERT_EQ(nltmstm(&context_, timer, 0), 0);
        std::int32_t remaining = 0;
        ASSERT_EQ(nltmtxp(&context_, idle, &remaining), 0);
        EXPECT_GT(remaining, 0);
        ASSERT_EQ(nltmctm(&context_, idle), 0);
        // Any thread's drive may run this worker's timer.
        while (!fired.load()) ASSERT_EQ(nltmdrv(&context_, nullptr, nullptr), 0);
        ASSERT_EQ(nltmftm(&context_, timer), 0);
        ASSERT_EQ(nltmftm(&context_, idle), 0);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(g_fired.load(), kWorkers * kRounds);
  EXPECT_EQ(g_overlaps.load(), 0);
  EXPECT_EQ(context_.timer_facility->first_group->slots_in_use, 0);
  EXPECT_EQ(context_.timer_facility->last_id, static_cast<std::uint32_t>(kWorkers * kRounds)) << "no id lost";
}

TEST_F(TimerThreads, AThreadThatCannotStartLeavesAServiceForCallers) {
  kelnl::timers::FailThreadStartsForTesting(EAGAIN);
  EXPECT_EQ(nltmini(&context_, 10, 0), NLE_TIMER_THREAD_FAILED);
  kelnl::timers::FailThreadStartsForTesting(0);
  EXPECT_EQ(nlergmfi(context_.error_stack, 1), 3u) << "an operating-system entry";
  EXPECT_EQ(nlergoc(context_.error_stack, 1), static_cast<std::uint32_t>(NLE_TIMER_THREAD_FAILED));
  ASSERT_NE(context_.timer_facility, nullptr) << "callers can still drive the service";
  EXPECT_EQ(context_.timer_facility->thread, nullptr);
}

TEST_F(TimerThreads, ThreadedCreationMeetsFailingAllocations) {
  const long allocations = kelnl::testing::SweepAllocationFailures(
      [&] {
        const std::int32_t result = nltmini(&context_, 10, 0);
        EXPECT_EQ(result, kelnl::testing::AllocationFailed() ? NLE_TIMER_NO_MEMORY : 0);
        if (result != 0 && context_.timer_facility != nullptr) {
          // Only the thread's record was missing: reported as an operating-system entry.
          EXPECT_EQ(context_.timer_facility->thread, nullptr);
          EXPECT_EQ(nlergmfi(context_.error_stack, 1), 3u);
        }
      },
      [&] { nltmdei(&context_); });
  EXPECT_EQ(allocations, 3);
}

}  // namespace
