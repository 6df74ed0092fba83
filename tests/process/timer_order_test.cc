// The running list's order and tie rules, against a plain model of them: a tie with the head
// goes in front of it, any other timer behind its equals.
#include <algorithm>
#include <random>

#include "tests/process/timer_test_support.h"

namespace {

using kelnl::testing::TimerTest;

void Noop(NlGlobalContext*, void*, NlTimer*, std::uint32_t, std::int32_t) {}

// The documented insertion, done the slow way: walk from the head.
struct ModelEntry {
  int id;
  std::uint64_t expiry;
};
void ModelInsert(std::vector<ModelEntry>& list, int id, std::uint64_t expiry) {
  const bool in_front = list.empty() || expiry <= list.front().expiry;
  auto after = std::find_if(list.begin(), list.end(), [&](const ModelEntry& e) { return e.expiry > expiry; });
  list.insert(in_front ? list.begin() : after, {id, expiry});
}
void ModelRemove(std::vector<ModelEntry>& list, int id) {
  std::erase_if(list, [&](const ModelEntry& e) { return e.id == id; });
}

// Random starts, restarts, stops, frees, reuses and drives, checked against the model after
// every step; the clock starts just below a 32-bit wrap, so that orders and delays cross it.
class RandomOrder : public TimerTest {
 protected:
  template <typename DelayOf>
  void Run(int timer_count, std::int32_t slots_per_block, int steps, DelayOf delay_of) {
    StartSingleThreaded(slots_per_block);
    std::vector<NlTimer*> timers;
    for (int i = 0; i < timer_count; ++i) timers.push_back(NewTimer(Noop));
    std::vector<ModelEntry> model;
    std::mt19937 random(20261206);
    for (int step = 0; step < steps; ++step) {
      const auto id = static_cast<int>(random() % static_cast<unsigned>(timer_count));
      const unsigned action = random() % 8;
      if (action <= 4) ModelRemove(model, id);
      if (action <= 2) {  // (re)start, the most common step
        const std::uint32_t delay = delay_of(random);
        ModelInsert(model, id, clock_.load() + delay);
        ASSERT_EQ(nltmstm(&context_, timers[id], delay), 0);
      } else if (action == 3) {
        ASSERT_EQ(nltmctm(&context_, timers[id]), 0);
      } else if (action == 4) {
        ASSERT_EQ(nltmftm(&context_, timers[id]), 0);
        timers[id] = NewTimer(Noop);
      } else if (action == 5) {
        Advance(random() % 2);
      } else {
        std::uint32_t fired = 0;
        std::uint32_t next = 0;
        ASSERT_EQ(nltmdrv(&context_, &next, &fired), 0);
        const auto due = std::find_if(model.begin(), model.end(),
                                      [&](const ModelEntry& e) { return e.expiry > clock_.load(); });
        EXPECT_EQ(fired, static_cast<std::uint32_t>(due - model.begin()));
        model.erase(model.begin(), due);
        EXPECT_EQ(next, model.empty() ? 0 : model.front().expiry - clock_.load());
      }
      std::vector<NlTimer*> expected;
      for (const ModelEntry& entry : model) expected.push_back(timers[entry.id]);
      ASSERT_EQ(Running(), expected) << "after step " << step;
    }
  }
};

TEST_F(RandomOrder, FewDelaysManyTies) {
  Run(40, 4, 20000, [](std::mt19937& random) { return static_cast<std::uint32_t>(random() % 6); });
}

// Enough slots for the table of recent runs, and times from ties to far apart.
TEST_F(RandomOrder, ManyTimersWideDelays) {
  Run(700, 64, 6000, [](std::mt19937& random) {
    const std::uint32_t pick = static_cast<std::uint32_t>(random());
    return pick % 3 == 0 ? pick % 4 : pick % 3 == 1 ? pick % 200 : pick % 100000;
  });
}

}  // namespace
