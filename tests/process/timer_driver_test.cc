// Driving: what is due runs, earliest first, and callbacks may change any timer meanwhile; the
// running list's order and tie rules, against a plain model of them: a tie with the head goes in
// front of it, any other timer behind its equals.
#include <algorithm>
#include <functional>
#include <random>

#include "tests/process/timer_test_support.h"

namespace {

using kelnl::testing::TimerTest;
using TimerDriver = TimerTest;

struct Call {
  NlGlobalContext* context;
  void* argument;
  NlTimer* timer;
  std::uint32_t now;
  std::int32_t value;
  bool operator==(const Call&) const = default;
};
std::vector<Call> g_calls;

void Record(NlGlobalContext* context, void* argument, NlTimer* timer, std::uint32_t now, std::int32_t value) {
  g_calls.push_back({context, argument, timer, now, value});
}

TEST_F(TimerDriver, CallbacksGetTheirDataAndRemainingTimeReadsDown) {
  g_calls.clear();
  // Order, counts and next delays are checked against the model below; this is about the calls.
  StartSingleThreaded();
  int argument = 0;
  NlTimer* now_due = NewTimer(Record, &argument, 7);
  NlTimer* later = NewTimer(Record, nullptr, 8);
  ASSERT_EQ(nltmstm(&context_, now_due, 0), 0);
  ASSERT_EQ(nltmstm(&context_, later, 30), 0);
  ASSERT_EQ(nltmdrv(&context_, nullptr, nullptr), 0) << "either output may be null";
  const std::vector<Call> expected = {{&context_, &argument, now_due, Now(), 7}};
  EXPECT_TRUE(g_calls == expected);
  EXPECT_EQ(now_due->state, static_cast<std::uint32_t>(NL_TIMER_ALLOCATED)) << "fired: allocated, not running";

  std::int32_t remaining = -1;
  ASSERT_EQ(nltmtxp(&context_, now_due, &remaining), 0);
  EXPECT_EQ(remaining, 0);
  Advance(12);
  ASSERT_EQ(nltmtxp(&context_, later, &remaining), 0);
  EXPECT_EQ(remaining, 18);
  Advance(20);
  ASSERT_EQ(nltmtxp(&context_, later, &remaining), 0);
  EXPECT_EQ(remaining, -2) << "an overdue timer reads negative";
}

// Each callback acts on the timers named by its argument.
struct Plan {
  std::function<void(NlGlobalContext*, Plan*)> action = [](NlGlobalContext*, Plan*) {};
  NlTimer* self = nullptr;
  NlTimer* other = nullptr;
  int runs = 0;
};

void Act(NlGlobalContext* context, void* argument, NlTimer*, std::uint32_t, std::int32_t) {
  auto* plan = static_cast<Plan*>(argument);
  ++plan->runs;
  plan->action(context, plan);
}

TEST_F(TimerDriver, CallbacksChangeTimersWhileTheDriverRuns) {
  StartSingleThreaded();
  auto free_self = [](NlGlobalContext* c, Plan* p) { EXPECT_EQ(nltmftm(c, p->self), 0); };
  auto restart_self = [](NlGlobalContext* c, Plan* p) { EXPECT_EQ(nltmstm(c, p->self, 1), 0); };
  // Freeing another timer takes it out of the list as stopping does: one of the two stands for both.
  auto stop_other = [](NlGlobalContext* c, Plan* p) { EXPECT_EQ(nltmctm(c, p->other), 0); };
  auto start_other_now = [](NlGlobalContext* c, Plan* p) { EXPECT_EQ(nltmstm(c, p->other, 0), 0); };
  Plan frees{free_self}, restarts{restart_self}, stops{stop_other}, stopped, starts{start_other_now}, started;
  for (Plan* plan : {&frees, &restarts, &stops, &stopped, &starts, &started}) plan->self = NewTimer(Act, plan);
  stops.other = stopped.self;
  starts.other = started.self;
  // In list order: frees, restarts, stops, stopped, starts; started idle.
  for (Plan* plan : {&frees, &restarts, &stops, &stopped, &starts}) {
    ASSERT_EQ(nltmstm(&context_, plan->self, 5), 0);
    Advance(1);
  }
  Advance(5);
  // The next delay is checked against the model below, the slots freed by the service tests.
  std::uint32_t fired = 0;
  ASSERT_EQ(nltmdrv(&context_, nullptr, &fired), 0);
  EXPECT_EQ(fired, 5u);
  EXPECT_EQ(stopped.runs, 0);
  EXPECT_EQ(started.runs, 1) << "started due inside the drive, so run by it";
  EXPECT_EQ(restarts.runs, 1) << "restarted for later: not run again now";
  EXPECT_EQ(frees.self->state, 0u);
  EXPECT_EQ(Running(), std::vector<NlTimer*>{restarts.self});
}

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
