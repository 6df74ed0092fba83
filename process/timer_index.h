// The running list of a group is the documented doubly linked list sorted by expiry. Beside it,
// an index over the distinct expiry times in the list finds where a timer goes in O(log n) and
// keeps the list's tie rules: each distinct time is a run of consecutive timers with its first
// and last member, and the runs sit in a treap keyed by time.
//
// The index keeps full-width expiry times, not the 32-bit ones of the records: ordered by those,
// a timer set across the 32-bit clock's wrap would sort before timers due long before it and hold
// them back, since the driver looks only at the head.
//
// Starting and stopping allocate nothing: every slot brings one run record of its own to the
// group's pool when its block is made, and there are never more runs than running timers.
#ifndef KELNL_PROCESS_TIMER_INDEX_H
#define KELNL_PROCESS_TIMER_INDEX_H

#include <cstddef>
#include <cstdint>

#include "kelnl/nltm.h"

namespace kelnl::timers {

struct TimerRun {
  std::uint64_t expiry;
  NlTimer* first;
  NlTimer* last;
  TimerRun* parent;
  // child[0] earlier, child[1] later: indexing by a comparison keeps the search free of
  // branches the processor cannot predict. In the pool, child[0] links the free runs.
  TimerRun* child[2];
  std::uint32_t priority;  // the treap keeps the smallest priority at the top
};

// Runs by expiry modulo the table's size: a timer due at a time that already has a run finds it
// here without searching the treap; the table covers 82 seconds of distinct times. Entries may
// be stale: a run is only taken when it is live and due at exactly that time. Small groups do
// without it; a group gets it when it grows past kRecentRunsFromSlots slots.
inline constexpr std::size_t kRecentRunSlots = 8192;
inline constexpr std::int32_t kRecentRunsFromSlots = 512;

// A live run of each span of kSpanCentiseconds, where the group has one, by span number modulo
// the table's size (a power of two). A new time finds its predecessor by stepping along the list
// from a run of its own span or of one of the few spans before it, without searching the treap.
// The table holds an entry per slot; it is made anew, empty, when the group has grown past it.
inline constexpr std::uint32_t kSpanShift = 4;  // spans of 16 centiseconds
inline constexpr int kSpansLookedBack = 4;

struct RunIndex {
  TimerRun* root;
  TimerRun* free_runs;
  TimerRun* last_used;  // starts in a row usually share or extend the latest run
  std::uint32_t random_state;
  TimerRun** recent_runs;  // kRecentRunSlots entries, or null
  TimerRun** span_runs;    // span_mask + 1 entries, or null
  std::size_t span_mask;
};

// Adds count run records to the pool.
void AddRunsToPool(RunIndex* index, TimerRun* runs, std::int32_t count);

// Links a timer that is not running into the group's list, due at expiry: after every timer due
// at or before it, except that a timer due no later than the head becomes the head. Sets its
// documented expiry (the low 32 bits) and the running bit.
void LinkRunning(NlTimerGroup* group, RunIndex* index, NlTimer* timer, std::uint64_t expiry);

// Takes a running timer out of the list and clears its running bit.
void UnlinkRunning(NlTimerGroup* group, RunIndex* index, NlTimer* timer);

}  // namespace kelnl::timers

#endif
