#include <gtest/gtest.h>

#include "kelnl/nlep.h"

namespace {

TEST(PrimaryErrorRecord, SlotsFillInOrderUntilTheSixthPushOverflows) {
  NlPrimaryErrorRecord record{};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(nlepepe(&record, 1, 400 + i, 2 << (i % 3)), 400 + i);
  EXPECT_EQ(record.count, 5);
  EXPECT_EQ(record.overflow, 0);
  EXPECT_EQ(record.errors[0].error, 400);
  EXPECT_EQ(record.errors[4].error, 404);
  EXPECT_EQ(record.errors[1].kind, 4);
  EXPECT_EQ(record.errors[2].facility, 1);

  EXPECT_EQ(nlepepe(&record, 1, 999, 2), 999);
  EXPECT_EQ(record.count, 5);
  EXPECT_EQ(record.overflow, 1);
  EXPECT_EQ(record.errors[4].error, 404) << "an overflowing push stores nothing";
}

TEST(PrimaryErrorRecord, ZeroErrorNullRecordAndWideNumbers) {
  NlPrimaryErrorRecord record{};
  EXPECT_EQ(nlepepe(&record, 1, 0, 2), 0);
  EXPECT_EQ(record.count, 0) << "error 0 stores nothing but marks overflow";
  EXPECT_EQ(record.overflow, 1);
  EXPECT_EQ(nlepepe(nullptr, 1, 462, 2), 462);
  record = {};
  EXPECT_EQ(nlepepe(&record, 37, 0x12345, 8), 0x12345) << "returned whole";
  EXPECT_EQ(record.errors[0].error, 0x2345) << "stored as its low 16 bits";
  EXPECT_EQ(record.errors[0].facility, 37);
  EXPECT_EQ(record.errors[0].kind, 8);
}

}  // namespace
