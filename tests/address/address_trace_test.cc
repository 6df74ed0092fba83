// What the iterators leave in a trace that is on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelnl/nlad.h"
#include "kelnl/nlmad.h"
#include "kelnl/nlrn.h"
#include "tests/diagnostics/trace_test_support.h"

namespace kelnl::testing {
namespace {

class TracedIterators : public TraceTest {
 protected:
  void SetUp() override { StartTracedContext(); }
  void TearDown() override {
    nlrntrm(context_);
    TraceTest::TearDown();
  }
};

TEST_F(TracedIterators, EntryExitAndRefusal) {
  const std::string text = "(ADDRESS=(HOST=a))";
  NlAddressIterator* handle = nullptr;
  ASSERT_EQ(nladini_t(context_, &handle, text.data(), text.size(), 0), 0);
  nladtrm(&handle);

  NlMultiAddressIterator* multi = nullptr;
  const std::string bad = "(NOTHING=1)";
  EXPECT_EQ(nlmadini(context_, &multi, bad.data(), static_cast<std::uint32_t>(bad.size()), 0), NLMAD_INIT_REFUSED);

  EXPECT_EQ(Lines("trace.trc"), (std::vector<std::string>{
                                    "nladini: entry", "nladini: exit, result 0",
                                    "nladtrm: entry", "nladtrm: exit",
                                    "nlmadini: entry", "nlmadini: connect descriptor refused",
                                    "nlmadini: exit, result 2",
                                }));
}

}  // namespace
}  // namespace kelnl::testing
