// Primary error records, and pushing onto the error stack: argument text, lost pushes, the
// internal-error entry, copying a primary record, inspection and the stack's life.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "tests/diagnostics/stream_test_support.h"
#include "tests/errors/message_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace {

using kelnl::testing::Entries;
using kelnl::testing::Slots;

TEST(PrimaryErrorRecord, SlotsFillInOrderUntilTheSixthPushOverflows) {
  NlPrimaryErrorRecord record{};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(nlepepe(&record, 1, 400 + i, 2 << (i % 3)), 400 + i);
  EXPECT_EQ(nlepepe(&record, 1, 999, 2), 999);
  EXPECT_EQ(Slots(record), "400/1/2 401/1/4 402/1/8 403/1/2 404/1/4 +") << "an overflowing push stores nothing";

  record = {};
  EXPECT_EQ(nlepepe(&record, 1, 0, 2), 0);
  EXPECT_EQ(Slots(record), " +") << "error 0 stores nothing but marks overflow";
  EXPECT_EQ(nlepepe(nullptr, 1, 462, 2), 462);
  record = {};
  EXPECT_EQ(nlepepe(&record, 37, 0x12345, 8), 0x12345) << "returned whole";
  EXPECT_EQ(Slots(record), "9029/37/8") << "stored as its low 16 bits";
}

using ErrorStack = kelnl::testing::ErrorStackTest;

TEST_F(ErrorStack, ArgumentsAreLengthPrefixedTexts) {
  nlerrec(stack_, 1, 462, 1, NL_ERROR_ARG_TEXT, 3, "abc");
  ASSERT_EQ(stack_->depth, 1);
  EXPECT_EQ(Entry(1).arg_length, 5u) << "two length bytes and the text";

  // Numbers become decimal text; a text length keeps its low 16 bits only.
  nlerrec(stack_, 1, 405, 3, NL_ERROR_ARG_NUMBER, 0u, NL_ERROR_ARG_NUMBER, 4294967295u,
          NL_ERROR_ARG_TEXT, 0x10002, "xyz");
  EXPECT_EQ(Arguments(1), (std::vector<std::string>{"0", "4294967295", "xy"}));
  EXPECT_EQ(Arguments(2), (std::vector<std::string>{"abc"}));
}

TEST_F(ErrorStack, ArgumentListsThatDoNotFitAreDroppedWhole) {
  const std::string big(300, 'a'), second(200, 'b'), exact(208, 'c');
  nlerrec(stack_, 1, 1, 1, NL_ERROR_ARG_TEXT, 300, big.c_str());
  EXPECT_EQ(stack_->text_used, 302u);

  // The first argument would fit, the second does not: neither is kept.
  nlerrec(stack_, 1, 2, 2, NL_ERROR_ARG_TEXT, 100, big.c_str(), NL_ERROR_ARG_TEXT, 200, second.c_str());
  EXPECT_EQ(stack_->depth, 2);
  EXPECT_EQ(Entry(1).arg_count, 0u);
  EXPECT_EQ(Entry(1).arg_length, 0u);
  EXPECT_EQ(stack_->text_used, 302u);

  // Exactly the room left: 2 length bytes and 208 bytes end at byte 512.
  nlerrec(stack_, 1, 3, 1, NL_ERROR_ARG_TEXT, 208, exact.c_str());
  EXPECT_EQ(stack_->text_used, 512u);
  EXPECT_EQ(Arguments(1), std::vector<std::string>{exact});
}

TEST_F(ErrorStack, NinthPushIsLost) {
  for (int i = 1; i <= 8; ++i) nlerrec(stack_, 1, 400 + i, 0);
  const uint32_t used = stack_->text_used;
  nlerrec(stack_, 1, 999, 1, NL_ERROR_ARG_TEXT, 3, "abc");
  nlerric(stack_, 1, 999, 0);
  EXPECT_EQ(Entries(stack_), "408/1/2 407/1/2 406/1/2 405/1/2 404/1/2 403/1/2 402/1/2 401/1/2");
  EXPECT_EQ(stack_->text_used, used);
  EXPECT_EQ(nlergoc(stack_, 9), 0u);
}

TEST_F(ErrorStack, InternalErrorIsOneEntryWithNumbersBeforeTheCallersArguments) {
  nlerric(stack_, 7, 33, 0);
  EXPECT_EQ(Entries(stack_), "51/1/3");
  EXPECT_EQ(Arguments(1), (std::vector<std::string>{"33", "7"}));

  nlerric(stack_, 7, 34, 2, NL_ERROR_ARG_TEXT, 3, "abc", NL_ERROR_ARG_NUMBER, 5u);
  EXPECT_EQ(Arguments(1), (std::vector<std::string>{"34", "7", "abc", "5"}));

  // Caller's arguments that do not fit leave the two numbers.
  const std::string big(490, 'x');
  nlerasi(stack_, 9, 8, NL_ERROR_KIND_RECORDED, 1, NL_ERROR_ARG_TEXT, 490, big.c_str());
  EXPECT_EQ(Entry(1).kind, NL_ERROR_KIND_INTERNAL);
  EXPECT_EQ(Arguments(1), (std::vector<std::string>{"8", "9"}));
}

TEST_F(ErrorStack, PrimaryRecordIsCopiedOperatingSystemErrorFirst) {
  NlPrimaryErrorRecord primary{};
  primary.os_error = {16, 2, 7};
  primary.os_facility = 3;
  nlepepe(&primary, 1, 405, 2);
  nlepepe(&primary, 1, 462, 4);
  nlerlpe(stack_, &primary);
  EXPECT_EQ(Entries(stack_), "462/1/4 405/1/2 16/3/2 16/3/2");
  EXPECT_EQ(stack_->entries[0].error, 0u);
  EXPECT_EQ(stack_->entries[0].os_error.extra, 7u);
}

TEST_F(ErrorStack, OperatingSystemEntriesReadAsFacilityThree) {
  const NlOsErrorRecord os{16, 2, 0};
  EXPECT_EQ(nlercrs(stack_, 1, &os), 1);
  const NlOsErrorRecord none{0, 5, 5};
  EXPECT_EQ(nlercrs(stack_, 1, &none), 0);
  ASSERT_EQ(stack_->depth, 2);
  EXPECT_EQ(nlergoc(stack_, 1), 16u);
  EXPECT_EQ(nlergmfi(stack_, 2), 3u) << "pushed under facility 1";

  NlMessageComponents parts{};
  parts.arg_count = 99;
  ASSERT_EQ(nlergmco(stack_, 2, &parts), 0);
  EXPECT_EQ(parts.error, 0u);
  EXPECT_EQ(parts.facility, 1u);
  EXPECT_EQ(parts.os_error, &stack_->entries[0].os_error);
  EXPECT_EQ(parts.arg_count, 0u);
  EXPECT_EQ(nlergmco(stack_, 3, &parts), -1);
  EXPECT_EQ(nlergmco(stack_, 0, &parts), -1);
}

TEST(ErrorStackLife, NullStacksAndSlots) {
  NlPrimaryErrorRecord primary{};
  EXPECT_EQ(nlerinit(&primary, nullptr, nullptr, nullptr), NLE_NO_ERROR_STACK);
  NlErrorStack* stack = nullptr;
  EXPECT_EQ(nlerdestroy(&primary, &stack), NLE_NO_ERROR_STACK);
  EXPECT_EQ(Slots(primary), "700/1/2 700/1/2");

  // Every operation accepts a null stack.
  nlerrec(nullptr, 1, 1, 0);
  nlersec(nullptr, 1, 1, 0);
  nlerrse(nullptr);
  nlerfec(nullptr, 1, 1);
  nlerlpe(nullptr, &primary);
  EXPECT_EQ(nlercrs(nullptr, 1, &primary.os_error), 0);
  EXPECT_EQ(nlergmco(nullptr, 1, nullptr), -1);
  EXPECT_EQ(nlergoc(nullptr, 1), 0u);
  EXPECT_EQ(nlergmfi(nullptr, 1), 0u);
}

TEST(ErrorStackLife, OutOfMemoryIsReported) {
  NlErrorStack* stack = nullptr;
  NlPrimaryErrorRecord primary{};
  kelnl::testing::SweepExpectingCode(
      [&] { return nlerinit(&primary, &stack, nullptr, nullptr); }, NLE_ERROR_STACK_NO_MEMORY,
      [&] {
        if (stack != nullptr) nlerdestroy(nullptr, &stack);
      });
  EXPECT_EQ(primary.errors[0].error, NLE_ERROR_STACK_NO_MEMORY);
}

}  // namespace
