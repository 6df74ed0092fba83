// The timer service beside libuv's timers, in one program: starting and stopping n live timers,
// and the driver with n live timers. Each kelnl case has its libuv twin with the same delays.
//
//  *StartStop/<n>/<spread>: start n timers, then stop them all; per_op is one start or stop.
//    spread 0: every timer gets the same delay (the usual case of a fixed time-out);
//    spread 1: delays scattered over one minute, 6000 distinct times (a busy server's time-outs);
//    spread 2: delays scattered over about 46 hours, nearly all distinct (the index's worst case).
//  *DriveIdle/<n>: one drive with n live timers of which none is due.
//  *DriveFiring/<n>: with n live timers, 1000 more are started due at once and one drive runs
//    them; per_op is one start plus one callback. libuv's driver is a loop iteration
//    (uv_run with UV_RUN_NOWAIT), which also polls for I/O.
#include <benchmark/benchmark.h>
#include <uv.h>

#include <cstdint>
#include <vector>

#include "kelnl/kelnl.h"

namespace {

constexpr std::uint32_t kFarDelay = 60000;  // ten minutes, in centiseconds
constexpr int kFiringBatch = 1000;

// Fixed pseudo-random delays so that both libraries get the same sequence.
enum Spread { kSameDelay = 0, kOneMinute = 1, kAllDistinct = 2 };

std::vector<std::uint32_t> Delays(std::int64_t count, std::int64_t spread) {
  std::vector<std::uint32_t> delays(static_cast<std::size_t>(count), kFarDelay);
  std::uint32_t x = 2463534242u;
  for (std::uint32_t& delay : delays) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    if (spread == kOneMinute) delay = kFarDelay + x % 6000;
    if (spread == kAllDistinct) delay = kFarDelay + (x & 0xFFFFFF);
  }
  return delays;
}

void PerOperation(benchmark::State& state, std::int64_t operations_per_iteration) {
  state.counters["per_op"] = benchmark::Counter(static_cast<double>(operations_per_iteration),
                                                benchmark::Counter::kIsIterationInvariantRate |
                                                    benchmark::Counter::kInvert);
}

void Ignore(NlGlobalContext*, void*, NlTimer*, std::uint32_t, std::int32_t) {}

// A context with a single-threaded service (no lock, like libuv's loop) and n allocated slots.
struct KelnlTimers {
  explicit KelnlTimers(std::int64_t n, std::uint32_t flags = NL_TIMER_SINGLE_THREADED) {
    nltmini(&context, 4096, flags);
    slots.resize(static_cast<std::size_t>(n));
    for (NlTimer*& slot : slots) nltmntm(&context, Ignore, nullptr, 0, &slot);
  }
  ~KelnlTimers() { nltmdei(&context); }
  NlGlobalContext context{};
  std::vector<NlTimer*> slots;
};

void BM_KelnlStartStop(benchmark::State& state, std::uint32_t flags) {
  const std::int64_t n = state.range(0);
  const std::vector<std::uint32_t> delays = Delays(n, state.range(1));
  KelnlTimers timers(n, flags);
  for (auto _ : state) {
    for (std::size_t i = 0; i < delays.size(); ++i) nltmstm(&timers.context, timers.slots[i], delays[i]);
    for (NlTimer* slot : timers.slots) nltmctm(&timers.context, slot);
  }
  PerOperation(state, 2 * n);
}

void BM_KelnlStartStopSingleThreaded(benchmark::State& state) { BM_KelnlStartStop(state, NL_TIMER_SINGLE_THREADED); }
// With the service's thread and lock, as an implicitly created service has them.
void BM_KelnlStartStopLocked(benchmark::State& state) { BM_KelnlStartStop(state, 0); }

void NoteUvTimer(uv_timer_t*) {}

struct UvTimers {
  explicit UvTimers(std::int64_t n) : timers(static_cast<std::size_t>(n)) {
    uv_loop_init(&loop);
    for (uv_timer_t& timer : timers) uv_timer_init(&loop, &timer);
  }
  ~UvTimers() {
    for (uv_timer_t& timer : timers) uv_close(reinterpret_cast<uv_handle_t*>(&timer), nullptr);
    uv_run(&loop, UV_RUN_DEFAULT);
    uv_loop_close(&loop);
  }
  uv_loop_t loop{};
  std::vector<uv_timer_t> timers;
};

void BM_UvStartStop(benchmark::State& state) {
  const std::int64_t n = state.range(0);
  const std::vector<std::uint32_t> delays = Delays(n, state.range(1));
  UvTimers timers(n);
  for (auto _ : state) {
    for (std::size_t i = 0; i < delays.size(); ++i) uv_timer_start(&timers.timers[i], NoteUvTimer, delays[i], 0);
    for (uv_timer_t& timer : timers.timers) uv_timer_stop(&timer);
  }
  PerOperation(state, 2 * n);
}

void BM_KelnlDriveIdle(benchmark::State& state) {
  const std::int64_t n = state.range(0);
  const std::vector<std::uint32_t> delays = Delays(n, kAllDistinct);
  KelnlTimers timers(n);
  for (std::size_t i = 0; i < delays.size(); ++i) nltmstm(&timers.context, timers.slots[i], delays[i]);
  std::uint32_t next = 0;
  for (auto _ : state) {
    nltmdrv(&timers.context, &next, nullptr);
    benchmark::DoNotOptimize(next);
  }
  PerOperation(state, 1);
}

void BM_UvDriveIdle(benchmark::State& state) {
  const std::int64_t n = state.range(0);
  const std::vector<std::uint32_t> delays = Delays(n, kAllDistinct);
  UvTimers timers(n);
  for (std::size_t i = 0; i < delays.size(); ++i) uv_timer_start(&timers.timers[i], NoteUvTimer, delays[i], 0);
  for (auto _ : state) benchmark::DoNotOptimize(uv_run(&timers.loop, UV_RUN_NOWAIT));
  for (uv_timer_t& timer : timers.timers) uv_timer_stop(&timer);
  PerOperation(state, 1);
}

void BM_KelnlDriveFiring(benchmark::State& state) {
  const std::int64_t n = state.range(0);
  const std::vector<std::uint32_t> delays = Delays(n, kAllDistinct);
  KelnlTimers timers(n + kFiringBatch);
  for (std::size_t i = 0; i < delays.size(); ++i) nltmstm(&timers.context, timers.slots[i], delays[i]);
  std::uint32_t fired = 0;
  for (auto _ : state) {
    for (std::size_t i = delays.size(); i < timers.slots.size(); ++i) nltmstm(&timers.context, timers.slots[i], 0);
    nltmdrv(&timers.context, nullptr, &fired);
  }
  if (fired != kFiringBatch) state.SkipWithError("not every due timer ran");
  PerOperation(state, kFiringBatch);
}

void BM_UvDriveFiring(benchmark::State& state) {
  const std::int64_t n = state.range(0);
  const std::vector<std::uint32_t> delays = Delays(n, kAllDistinct);
  UvTimers timers(n + kFiringBatch);
  for (std::size_t i = 0; i < delays.size(); ++i) uv_timer_start(&timers.timers[i], NoteUvTimer, delays[i], 0);
  for (auto _ : state) {
    for (std::size_t i = delays.size(); i < timers.timers.size(); ++i) {
      uv_timer_start(&timers.timers[i], NoteUvTimer, 0, 0);
    }
    uv_run(&timers.loop, UV_RUN_NOWAIT);
  }
  for (uv_timer_t& timer : timers.timers) uv_timer_stop(&timer);
  PerOperation(state, kFiringBatch);
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
  for (std::int64_t n : {10000, 100000, 1000000}) benchmark->Arg(n);
}
void SizesAndSpreads(benchmark::internal::Benchmark* benchmark) {
  for (std::int64_t spread : {kSameDelay, kOneMinute, kAllDistinct}) {
    for (std::int64_t n : {10000, 100000, 1000000}) benchmark->Args({n, spread});
  }
}

BENCHMARK(BM_KelnlStartStopSingleThreaded)->Apply(SizesAndSpreads)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KelnlStartStopLocked)->Apply(SizesAndSpreads)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UvStartStop)->Apply(SizesAndSpreads)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KelnlDriveIdle)->Apply(Sizes);
BENCHMARK(BM_UvDriveIdle)->Apply(Sizes);
BENCHMARK(BM_KelnlDriveFiring)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UvDriveFiring)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

}  // namespace
