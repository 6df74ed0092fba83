#include "tests/support/alloc_sweep.h"

#include <gtest/gtest.h>

#include "platform/core/allocator.h"

namespace kelnl::testing {

bool AllocationFailed() { return kelnl::allocation_hook::Failed(); }

long SweepAllocationFailures(const std::function<void()>& attempt, const std::function<void()>& cleanup) {
  namespace hook = kelnl::allocation_hook;
  for (long n = 1; n < 1000000; ++n) {
    const long live_before = hook::LiveBlocks();
    hook::FailNth(n);
    attempt();
    const bool failed = hook::Failed();
    const long attempts = hook::Attempts();
    hook::Disarm();
    cleanup();
    EXPECT_EQ(hook::LiveBlocks(), live_before) << "blocks leaked with allocation " << n << " failing";
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << "sweep stopped at allocation " << n;
      return -1;
    }
    if (!failed) return attempts;
  }
  ADD_FAILURE() << "allocation sweep did not finish";
  return -1;
}

long SweepExpectingCode(const std::function<std::int32_t()>& operation, std::int32_t failure_code,
                        const std::function<void()>& cleanup) {
  return SweepAllocationFailures(
      [&] {
        const std::int32_t code = operation();
        EXPECT_EQ(code, AllocationFailed() ? failure_code : 0);
      },
      cleanup);
}

}  // namespace kelnl::testing
