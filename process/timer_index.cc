#include "process/timer_index.h"

#include "process/timer_block.h"

namespace kelnl::timers {
namespace {

std::uint32_t NextPriority(RunIndex* index) {
  // xorshift32: priorities only need to look random to keep the treap balanced.
  std::uint32_t x = index->random_state != 0 ? index->random_state : 0x9E3779B9u;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  index->random_state = x;
  return x;
}

void ReplaceChild(RunIndex* index, TimerRun* parent, TimerRun* old_child, TimerRun* new_child) {
  if (parent == nullptr) {
    index->root = new_child;
  } else {
    parent->child[parent->child[1] == old_child] = new_child;
  }
}

// Moves run one level up above its parent, keeping the in-order sequence.
void RotateUp(RunIndex* index, TimerRun* run) {
  TimerRun* parent = run->parent;
  TimerRun* grandparent = parent->parent;
  const bool is_later = parent->child[1] == run;
  // The subtree between run and parent changes sides.
  TimerRun* between = run->child[!is_later];
  parent->child[is_later] = between;
  if (between != nullptr) between->parent = parent;
  run->child[!is_later] = parent;
  parent->parent = run;
  run->parent = grandparent;
  ReplaceChild(index, grandparent, parent, run);
}

// The run with the greatest expiry at or before the given one; null when there is none.
TimerRun* FloorRun(const RunIndex* index, std::uint64_t expiry) {
  TimerRun* floor = nullptr;
  for (TimerRun* run = index->root; run != nullptr;) {
    const bool at_or_before = run->expiry <= expiry;
    floor = at_or_before ? run : floor;
    run = run->child[at_or_before];
  }
  return floor;
}

void RememberRun(RunIndex* index, TimerRun* run) {
  if (index->recent_runs != nullptr) index->recent_runs[run->expiry % kRecentRunSlots] = run;
}

TimerRun* RecentRunDueAt(const RunIndex* index, std::uint64_t expiry) {
  if (index->recent_runs == nullptr) return nullptr;
  TimerRun* run = index->recent_runs[expiry % kRecentRunSlots];
  return run != nullptr && run->first != nullptr && run->expiry == expiry ? run : nullptr;
}

std::uint64_t SpanOf(std::uint64_t expiry) { return expiry >> kSpanShift; }

void RememberSpan(RunIndex* index, TimerRun* run) {
  if (index->span_runs != nullptr) index->span_runs[SpanOf(run->expiry) & index->span_mask] = run;
}

TimerRun* RunOf(NlTimer* timer) { return timer != nullptr ? SlotDataOf(timer)->run : nullptr; }
TimerRun* NextRun(const TimerRun* run) { return RunOf(run->last->next); }
TimerRun* PreviousRun(const TimerRun* run) { return RunOf(run->first->previous); }

// A run of one timer, taken from the pool and put in the treap between its neighbours in the
// list, which the caller knows: no search. The later neighbour has no earlier child when the
// earlier one has a later child (it is then the leftmost node of that subtree), and the earliest
// run has no earlier child at all. The pool cannot be empty: it holds a run for every slot, and a
// run only exists for a running slot.
TimerRun* NewRun(RunIndex* index, std::uint64_t expiry, NlTimer* timer, TimerRun* earlier, TimerRun* later) {
  TimerRun* run = index->free_runs;
  index->free_runs = run->child[0];
  *run = TimerRun{expiry, timer, timer, nullptr, {nullptr, nullptr}, NextPriority(index)};
  if (earlier != nullptr && earlier->child[1] == nullptr) {
    earlier->child[1] = run;
    run->parent = earlier;
  } else if (later != nullptr) {
    later->child[0] = run;
    run->parent = later;
  } else {
    index->root = run;
  }
  while (run->parent != nullptr && run->parent->priority > run->priority) RotateUp(index, run);
  RememberRun(index, run);
  RememberSpan(index, run);
  return run;
}

// The latest run due at or before expiry, found from a run of a nearby span; null when none of
// the spans looked at has a run.
TimerRun* FloorRunNearby(const RunIndex* index, std::uint64_t expiry) {
  if (index->span_runs == nullptr) return nullptr;
  const std::uint64_t span = SpanOf(expiry);
  for (int back = 0; back < kSpansLookedBack && static_cast<std::uint64_t>(back) <= span; ++back) {
    TimerRun* run = index->span_runs[(span - back) & index->span_mask];
    if (run == nullptr || run->first == nullptr || SpanOf(run->expiry) != span - back) continue;
    // Within one span there are at most 16 times, so each walk is short.
    while (run != nullptr && run->expiry > expiry) run = PreviousRun(run);
    if (run == nullptr) return nullptr;
    for (TimerRun* next = NextRun(run); next != nullptr && next->expiry <= expiry; next = NextRun(run)) run = next;
    return run;
  }
  return nullptr;
}

// The run is about to go; its span's entry moves to a neighbour of the same span, if any.
void ForgetSpan(RunIndex* index, TimerRun* run, TimerRun* earlier, TimerRun* later) {
  if (index->span_runs == nullptr) return;
  TimerRun*& entry = index->span_runs[SpanOf(run->expiry) & index->span_mask];
  if (entry != run) return;
  const std::uint64_t span = SpanOf(run->expiry);
  entry = earlier != nullptr && SpanOf(earlier->expiry) == span ? earlier
          : later != nullptr && SpanOf(later->expiry) == span   ? later
                                                                 : nullptr;
}

void DeleteRun(RunIndex* index, TimerRun* run) {
  // Rotate it down to a leaf, lifting the child of smaller priority each time, then drop it.
  while (run->child[0] != nullptr || run->child[1] != nullptr) {
    TimerRun* earlier = run->child[0];
    TimerRun* later = run->child[1];
    const bool lift_later = earlier == nullptr || (later != nullptr && later->priority < earlier->priority);
    RotateUp(index, lift_later ? later : earlier);
  }
  ReplaceChild(index, run->parent, run, nullptr);
  if (index->last_used == run) index->last_used = nullptr;
  run->first = nullptr;  // marks it dead for the table of recent runs
  run->child[0] = index->free_runs;
  index->free_runs = run;
}

void LinkAfter(NlTimer* before, NlTimer* timer) {
  timer->previous = before;
  timer->next = before->next;
  if (before->next != nullptr) before->next->previous = timer;
  before->next = timer;
}

// The run a timer that is not the new head goes after: the latest run due at or before it.
// Usually that is the run used last, or the last run of all when times only grow, or a run of
// exactly its time.
TimerRun* RunToFollow(RunIndex* index, std::uint64_t expiry) {
  TimerRun* recent = index->last_used;
  if (recent != nullptr && recent->expiry <= expiry &&
      (recent->expiry == expiry || recent->last->next == nullptr)) {
    return recent;
  }
  TimerRun* same_time = RecentRunDueAt(index, expiry);
  if (same_time != nullptr) return same_time;
  TimerRun* nearby = FloorRunNearby(index, expiry);
  return nearby != nullptr ? nearby : FloorRun(index, expiry);
}

}  // namespace

void AddRunsToPool(RunIndex* index, TimerRun* runs, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) {
    runs[i].child[0] = index->free_runs;
    index->free_runs = &runs[i];
  }
}

void LinkRunning(NlTimerGroup* group, RunIndex* index, NlTimer* timer, std::uint64_t expiry) {
  NlTimer* head = group->head;
  TimerRun* head_run = head != nullptr ? SlotDataOf(head)->run : nullptr;
  TimerRun* run;
  if (head == nullptr || expiry <= head_run->expiry) {
    // A tie with the head goes in front of it.
    timer->previous = nullptr;
    timer->next = head;
    if (head != nullptr) head->previous = timer;
    group->head = timer;
    if (head_run != nullptr && head_run->expiry == expiry) {
      run = head_run;
      run->first = timer;
    } else {
      run = NewRun(index, expiry, timer, nullptr, head_run);
    }
  } else {
    // Other ties go behind the timers already due at that time.
    TimerRun* floor = RunToFollow(index, expiry);
    LinkAfter(floor->last, timer);
    if (floor->expiry == expiry) {
      run = floor;
      run->last = timer;
    } else {
      run = NewRun(index, expiry, timer, floor, RunOf(timer->next));
    }
  }
  SlotDataOf(timer)->run = run;
  index->last_used = run;
  timer->expiry = static_cast<std::uint32_t>(expiry);
  timer->state |= NL_TIMER_RUNNING;
}

void UnlinkRunning(NlTimerGroup* group, RunIndex* index, NlTimer* timer) {
  SlotData* data = SlotDataOf(timer);
  TimerRun* run = data->run;
  if (timer->next != nullptr) timer->next->previous = timer->previous;
  if (timer->previous != nullptr) {
    timer->previous->next = timer->next;
  } else {
    group->head = timer->next;
  }
  if (run->first == timer && run->last == timer) {
    ForgetSpan(index, run, RunOf(timer->previous), RunOf(timer->next));
    DeleteRun(index, run);
  } else if (run->first == timer) {
    run->first = timer->next;
  } else if (run->last == timer) {
    run->last = timer->previous;
  }
  // A stopped timer keeps no links into the list, so no stale pointer can be followed later.
  timer->previous = nullptr;
  timer->next = nullptr;
  data->run = nullptr;
  timer->state &= ~static_cast<std::uint32_t>(NL_TIMER_RUNNING);
}

}  // namespace kelnl::timers
