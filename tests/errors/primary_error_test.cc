#include <gtest/gtest.h>

#include "kelnl/nlep.h"
#include "tests/diagnostics/stream_test_support.h"

namespace {

using kelnl::testing::Slots;

TEST(PrimaryErrorRecord, SlotsFillInOrderUntilTheSixthPushOverflows) {
  NlPrimaryErrorRecord record{};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(nlepepe(&record, 1, 400 + i, 2 << (i % 3)), 400 + i);
  EXPECT_EQ(nlepepe(&record, 1, 999, 2), 999);
  EXPECT_EQ(Slots(record), "400/1/2 401/1/4 402/1/8 403/1/2 404/1/4 +") << "an overflowing push stores nothing";
}

TEST(PrimaryErrorRecord, ZeroErrorNullRecordAndWideNumbers) {
  NlPrimaryErrorRecord record{};
  EXPECT_EQ(nlepepe(&record, 1, 0, 2), 0);
  EXPECT_EQ(Slots(record), " +") << "error 0 stores nothing but marks overflow";
  EXPECT_EQ(nlepepe(nullptr, 1, 462, 2), 462);
  record = {};
  EXPECT_EQ(nlepepe(&record, 37, 0x12345, 8), 0x12345) << "returned whole";
  EXPECT_EQ(Slots(record), "9029/37/8") << "stored as its low 16 bits";
}

}  // namespace
