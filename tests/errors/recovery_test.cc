// Signals and recovery frames: which frame receives control, with which value, and what the
// chain looks like afterwards.
#include <gtest/gtest.h>

#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "tests/errors/message_test_support.h"
#include "tests/errors/recovery_frames.h"

namespace {

using kelnl::testing::Entries;

using Recovery = kelnl::testing::ErrorStackTest;

TEST_F(Recovery, InnerFrameCatchesAndTheOuterOneGoesOn) {
  NestedRun run{[](NlErrorStack* s, void*) { nlersic(s, 4, 17, 0); }, 0, 0};
  EXPECT_EQ(RunNested(stack_, &run), 0);
  EXPECT_EQ(run.inner_result, NLE_INTERNAL_ERROR);
  EXPECT_EQ(run.outer_continued, 1);
  EXPECT_EQ(Entries(stack_), "51/1/3");
}

TEST_F(Recovery, FatalErrorGoesToTheOutermostFrame) {
  NestedRun run{[](NlErrorStack* s, void*) { nlerfec(s, 1, 405); }, 0, 0};
  EXPECT_EQ(RunNested(stack_, &run), NLE_FATAL_ERROR);
  EXPECT_EQ(run.outer_continued, 0) << "the inner frame was skipped";
  EXPECT_EQ(Entries(stack_), "52/1/8 405/1/2");

  // A fatal internal error and a bad kind through nlerasi take the same path.
  run.inner_action = [](NlErrorStack* s, void*) { nlerasi(s, 6, 1, 99, 0); };
  EXPECT_EQ(RunNested(stack_, &run), NLE_FATAL_ERROR);
  EXPECT_EQ(Entries(stack_), "52/1/8 51/1/3 52/1/8 405/1/2");
  EXPECT_EQ(Arguments(2), (std::vector<std::string>{"301", "6"}));
}

TEST_F(Recovery, ResignalDeliversTheTopErrorWithoutPushing) {
  nlerrec(stack_, 1, 462, 0);
  EXPECT_EQ(RunInFrame(stack_, [](NlErrorStack* s, void*) { nlerrse(s); }, nullptr), 462);
  EXPECT_EQ(stack_->depth, 1);

  // An operating-system entry's error number 0 arrives as 1.
  const NlOsErrorRecord os{16, 2, 0};
  nlerrsc(stack_, 1, &os);
  EXPECT_EQ(RunInFrame(stack_, [](NlErrorStack* s, void*) { nlerrse(s); }, nullptr), 1);
}

TEST_F(Recovery, ResignalOfAnEmptyStackIsInternalError302AndWithoutAFrameSignalsReturn) {
  EXPECT_EQ(RunInFrame(stack_, [](NlErrorStack* s, void*) { nlerrse(s); }, nullptr), NLE_INTERNAL_ERROR);
  EXPECT_EQ(Entries(stack_), "51/1/3");
  EXPECT_EQ(Arguments(1), (std::vector<std::string>{"302", "1"}));

  stack_->depth = 0;
  nlersec(stack_, 1, 405, 0);
  nlerfec(stack_, 1, 0);
  nlerrse(stack_);
  EXPECT_EQ(Entries(stack_), "52/1/8 405/1/4");
}

TEST_F(Recovery, OperatingSystemSignalsAndInternalKinds) {
  EXPECT_EQ(RunInFrame(stack_, [](NlErrorStack* s, void*) {
    const NlOsErrorRecord none{0, 2, 0};
    nlercss(s, 1, &none);  // nothing to report: returns
    const NlOsErrorRecord os{19, 2, 0};
    nlercss(s, 1, &os);
  }, nullptr), 19);
  EXPECT_EQ(Entries(stack_), "19/1/4 19/3/4") << "the operating-system entry under a signalled one";

  EXPECT_EQ(RunInFrame(stack_, [](NlErrorStack* s, void*) { nlerasi(s, 3, 8, NL_ERROR_KIND_SIGNALLED, 0); },
                       nullptr), NLE_INTERNAL_ERROR);
  EXPECT_EQ(Entry(1).kind, NL_ERROR_KIND_INTERNAL_SIGNALLED);
}

}  // namespace
