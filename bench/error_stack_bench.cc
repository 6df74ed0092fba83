// Cost of reporting an error: a push with arguments, a signal caught by a recovery frame, and
// printing a full chain of eight entries (message lookup and substitution included) as an outer
// layer does once it gives up.
#include <benchmark/benchmark.h>

#include <csetjmp>

#include "kelnl/nlem.h"
#include "kelnl/nler.h"

namespace {

void BM_PushWithArguments(benchmark::State& state) {
  NlErrorStack* stack = nullptr;
  nlerinit(nullptr, &stack, nullptr, nullptr);
  for (auto _ : state) {
    stack->depth = 0;
    stack->text_used = 0;
    nlerrec(stack, 1, 462, 2, NL_ERROR_ARG_TEXT, 10, "brisol.kel", NL_ERROR_ARG_NUMBER, 1521u);
    benchmark::DoNotOptimize(stack->entries[0].arg_length);
  }
  nlerdestroy(nullptr, &stack);
}
BENCHMARK(BM_PushWithArguments);

// Kept out of line and C-like: the longjmp leaves it.
int SignalOnce(NlErrorStack* stack) {
  NlRecoveryFrame frame;
  const int error = NL_RECOVERY_POINT(&frame);
  if (error != 0) return error;
  NL_RECOVERY_LINK(stack, &frame);
  nlersec(stack, 1, 405, 0);
  NL_RECOVERY_UNLINK(stack, &frame);
  return 0;
}

void BM_SignalToFrame(benchmark::State& state) {
  NlErrorStack* stack = nullptr;
  nlerinit(nullptr, &stack, nullptr, nullptr);
  for (auto _ : state) {
    stack->depth = 0;
    benchmark::DoNotOptimize(SignalOnce(stack));
  }
  nlerdestroy(nullptr, &stack);
}
BENCHMARK(BM_SignalToFrame);

void BM_PrintFullChain(benchmark::State& state) {
  NlMessageFacility* messages = nullptr;
  nleminz(nullptr, &messages, 0, nullptr, 0, nullptr);
  NlErrorStack* stack = nullptr;
  nlerinit(nullptr, &stack, messages, nullptr);
  const NlOsErrorRecord os{16, 2, 0};
  nlerrsc(stack, 1, &os);
  for (int i = 0; i < 7; ++i) nlerrec(stack, 1, 462, 1, NL_ERROR_ARG_TEXT, 10, "brisol.kel");
  char text[1023];
  std::size_t length = 0;
  for (auto _ : state) {
    nlerbem(stack, 1, text, sizeof text, &length);
    benchmark::DoNotOptimize(length);
  }
  state.counters["bytes"] = static_cast<double>(length);
  nlerdestroy(nullptr, &stack);
  nlemdestroy(nullptr, &messages);
}
BENCHMARK(BM_PrintFullChain);

}  // namespace
