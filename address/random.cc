// The per-context generator that load balancing draws from.
#include "kelnl/nlrn.h"
#include "platform/core/allocator.h"
#include "platform/os/os.h"

namespace {

constexpr std::uint32_t kMultiplier = 971;
constexpr std::uint32_t kStepAStart = 11113;
constexpr std::uint32_t kStepBStart = 104322;

// Each running quantity climbs by a fixed step and is pulled back below its bound, so the three
// stay small and out of phase with one another.
constexpr std::uint32_t kValueStep = 7;
constexpr std::uint32_t kValueBound = 9973;
constexpr std::uint32_t kValuePullBack = 9871;
constexpr std::uint32_t kStepAStep = 1907;
constexpr std::uint32_t kStepABound = 99991;
constexpr std::uint32_t kStepAPullBack = 89989;
constexpr std::uint32_t kStepBStep = 73939;
constexpr std::uint32_t kStepBBound = 224729;
constexpr std::uint32_t kStepBPullBack = 96233;

// Two processes, or two threads, started in the same second still differ in the tick count,
// the thread id or the milliseconds.
std::uint32_t Seed() {
  std::int64_t seconds = 0;
  std::uint32_t milliseconds = 0;
  kelnl::os::TimeOfDay(&seconds, &milliseconds);
  return static_cast<std::uint32_t>(seconds) ^ kelnl::os::TickCount() ^ kelnl::os::ThreadId() ^
         (milliseconds << 16);
}

void Step(NlRandomState* state) {
  state->value += kValueStep;
  state->step_a += kStepAStep;
  state->step_b += kStepBStep;
  if (state->value >= kValueBound) state->value -= kValuePullBack;
  if (state->step_a >= kStepABound) state->step_a -= kStepAPullBack;
  if (state->step_b >= kStepBBound) state->step_b -= kStepBPullBack;
  state->value = state->multiplier * state->value + state->step_b + state->step_a;
}

std::uint16_t Fold(std::uint32_t value) { return static_cast<std::uint16_t>((value >> 16) ^ (value & 0xFFFFu)); }

}  // namespace

extern "C" uint32_t nlrnini(NlGlobalContext* context) {
  // Without a context there is nowhere to keep a state: to the caller, as good as no memory.
  if (context == nullptr) return NLRN_STATUS_NO_MEMORY;
  if (context->random_state == nullptr) {
    auto* state = static_cast<NlRandomState*>(kelnl::AllocateZeroed(1, sizeof(NlRandomState)));
    if (state == nullptr) return NLRN_STATUS_NO_MEMORY;
    context->random_state = state;
  }
  NlRandomState* state = context->random_state;
  state->multiplier = kMultiplier;
  state->step_a = kStepAStart;
  state->step_b = kStepBStart;
  state->value = Seed();
  state->initialised = 1;
  return 0;
}

extern "C" int32_t nlrngr(NlGlobalContext* context, uint16_t* value_out) {
  if (context == nullptr || value_out == nullptr) return 1;
  NlRandomState* state = context->random_state;
  if (state == nullptr || state->initialised == 0) {
    // A fresh seed is already unpredictable enough; it is handed out as it is.
    if (nlrnini(context) != 0) return 1;
    state = context->random_state;
  } else {
    Step(state);
  }
  *value_out = Fold(state->value);
  return 0;
}

extern "C" void nlrntrm(NlGlobalContext* context) {
  if (context == nullptr) return;
  kelnl::Release(context->random_state);
  context->random_state = nullptr;
}
