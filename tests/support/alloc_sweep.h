// Allocation-failure sweeps: run an operation once per allocation it makes, failing that
// allocation, and check the documented failure, no crash and no leak.
#ifndef KELNL_TESTS_SUPPORT_ALLOC_SWEEP_H
#define KELNL_TESTS_SUPPORT_ALLOC_SWEEP_H

#include <cstdint>
#include <functional>

namespace kelnl::testing {

// True while a sweep's injected failure has been delivered during the current attempt.
bool AllocationFailed();

// Which allocations fail in one attempt: only the n-th, or the n-th and every later one (memory
// that stays exhausted, where recovery code must not need memory itself).
enum class FailureForm { kOnlyNth, kAllFromNth, kBoth };

// Calls attempt() with the n-th allocation failing, for n = 1, 2, ... until a run completes
// without a failure. attempt checks its own outcome (AllocationFailed() tells which outcome is
// due); cleanup then releases whatever the attempt kept, and the live block count must be back
// where it was. kBoth sweeps in one form, then in the other. Returns the number of allocations
// of the operation when nothing fails.
long SweepAllocationFailures(const std::function<void()>& attempt,
                             const std::function<void()>& cleanup = [] {},
                             FailureForm form = FailureForm::kOnlyNth);

// The common case: operation returns 0 when nothing failed and failure_code otherwise.
long SweepExpectingCode(const std::function<std::int32_t()>& operation, std::int32_t failure_code,
                        const std::function<void()>& cleanup = [] {},
                        FailureForm form = FailureForm::kOnlyNth);

}  // namespace kelnl::testing

#endif
