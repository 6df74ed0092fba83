#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "kelnl/nlstd.h"
#include "platform/core/allocator.h"
#include "tests/support/alloc_sweep.h"

namespace {

class DataRepresentation : public ::testing::Test {
 protected:
  void SetUp() override { nlstdini(&context_); }
  void TearDown() override { nlstdtrm(&context_); }
  NlGlobalContext* context_ = nullptr;
};

std::vector<uint8_t> VectorOf(const NlDataRepresentation* descriptor) {
  return {descriptor->vector, descriptor->vector + descriptor->vector[0]};
}

// The vector encodes the word sizes, the alignments, the flags and every byte-order table, so
// comparing it whole checks what the descriptor derived from the machine.
TEST_F(DataRepresentation, VectorOfALittleEndianIeeeMachine) {
  if (std::endian::native != std::endian::little) {
    GTEST_SKIP() << "the published vector is that of a little-endian machine";
  }
  ASSERT_EQ(nlifigbl(context_), 0);
  const std::vector<uint8_t> expected = {
      0x20, 0x08, 0xFF, 0x03, 0x01, 0x00, 0x12, 0x34, 0x34, 0x34, 0x34, 0x34, 0x78, 0x10, 0x10, 0x32,
      0x10, 0x32, 0x10, 0x32, 0x10, 0x32, 0x10, 0x32, 0x54, 0x76, 0x00, 0x78, 0x10, 0x32, 0x54, 0x76};
  EXPECT_EQ(VectorOf(context_->data_representation), expected);
}

TEST_F(DataRepresentation, OutOfMemoryKeepsWhatWasBuiltForALaterCall) {
  const long allocations = kelnl::testing::SweepExpectingCode([&] { return nlifigbl(context_); }, 1,
                                                              [&] { nliftgbl(context_); });
  EXPECT_EQ(allocations, 2);

  kelnl::allocation_hook::FailNth(2);
  EXPECT_EQ(nlifigbl(context_), 1);
  kelnl::allocation_hook::Disarm();
  ASSERT_NE(context_->data_representation, nullptr) << "the descriptor stays after a failure";
  EXPECT_EQ(context_->data_representation->byte_orders, nullptr);
  NlDataRepresentation* completed = context_->data_representation;
  ASSERT_EQ(nlifigbl(context_), 0);
  EXPECT_EQ(context_->data_representation, completed);
  EXPECT_EQ(context_->data_representation->vector[0], 32);
}

}  // namespace
