#include <gtest/gtest.h>

#include <string>

#include "kelnl/nlpa.h"
#include "params/record_arena.h"
#include "platform/core/allocator.h"
#include "tests/params/parameter_walk.h"

namespace {

long LiveBlocks() { return kelnl::allocation_hook::LiveBlocks(); }

class RecordArena : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(nlpains(&record_, &table_, NLPA_CREATE_ONLY, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr), 0);
  }
  void TearDown() override { nlpatrm(&record_, &table_); }

  NlPrimaryErrorRecord record_{};
  NlParameterTable* table_ = nullptr;
};

TEST_F(RecordArena, AHugeRecordHasAChunkOfItsOwn) {
  void* small = kelnl::CarveRecord(table_, 16);
  const long before = LiveBlocks();
  auto* huge = static_cast<char*>(kelnl::CarveRecord(table_, std::size_t{3} << 20));
  ASSERT_NE(huge, nullptr);
  huge[0] = huge[(std::size_t{3} << 20) - 1] = 'x';
  EXPECT_EQ(LiveBlocks(), before + 1);
  EXPECT_NE(kelnl::CarveRecord(table_, 16), nullptr);
  EXPECT_EQ(LiveBlocks(), before + 1) << "small records still come from the current chunk";
  kelnl::ReleaseRecord(table_, huge, std::size_t{3} << 20);
  EXPECT_EQ(LiveBlocks(), before);
  kelnl::ReleaseRecord(table_, small, 16);
}

// A long-lived table whose parameter is set again and again must not keep the old values. A
// lower-case name is the entry's key itself, which must survive the replacement of the binding
// that brought it.
TEST_F(RecordArena, SettingOneParameterOverAndOverKeepsTheTableSmall) {
  ASSERT_EQ(nlpassp(&record_, table_, 1, "keep", 4, "1", 1), 0);
  const long before = LiveBlocks();
  for (const char* name : {"TRACE", "level"}) {
    for (int i = 0; i < 100000; ++i) {
      const std::string value = std::string(200, 'v') + std::to_string(i);
      ASSERT_EQ(nlpassp(&record_, table_, 1, name, 5, value.data(), static_cast<uint32_t>(value.size())), 0);
    }
  }
  EXPECT_LE(LiveBlocks(), before + 3);
  EXPECT_EQ(kelnl::testing::StoredValue(table_, "keep"), "1");
  EXPECT_EQ(kelnl::testing::StoredValue(table_, "level"), std::string(200, 'v') + "99999");
}

}  // namespace
