#include "tests/support/alloc_sweep.h"

#include <gtest/gtest.h>

#include "platform/core/allocator.h"

namespace kelnl::testing {

bool AllocationFailed() { return kelnl::allocation_hook::Failed(); }

long SweepAllocationFailures(const std::function<void()>& attempt, const std::function<void()>& cleanup,
                             FailureForm form) {
  namespace hook = kelnl::allocation_hook;
  if (form == FailureForm::kBoth) {
    const long one = SweepAllocationFailures(attempt, cleanup, FailureForm::kOnlyNth);
    return one < 0 ? one : SweepAllocationFailures(attempt, cleanup, FailureForm::kAllFromNth);
  }
  const bool sticky = form == FailureForm::kAllFromNth;
  for (long n = 1; n < 1000000; ++n) {
    const long live_before = hook::LiveBlocks();
    hook::FailNth(n, sticky);
    attempt();
    const bool failed = hook::Failed();
    const long attempts = hook::Attempts();
    hook::Disarm();
    cleanup();
    EXPECT_EQ(hook::LiveBlocks(), live_before) << "blocks leaked with allocation " << n << " failing";
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << "sweep stopped at allocation " << n << (sticky ? " and all later ones" : "");
      return -1;
    }
    if (!failed) return attempts;
  }
  ADD_FAILURE() << "allocation sweep did not finish";
  return -1;
}

long SweepExpectingCode(const std::function<std::int32_t()>& operation, std::int32_t failure_code,
                        const std::function<void()>& cleanup, FailureForm form) {
  return SweepAllocationFailures(
      [&] {
        const std::int32_t code = operation();
        EXPECT_EQ(code, AllocationFailed() ? failure_code : 0);
      },
      cleanup, form);
}

}  // namespace kelnl::testing
