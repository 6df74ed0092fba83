#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kelnl/sscore.h"
#include "platform/core/allocator.h"
#include "platform/core/core.h"

namespace {

namespace hook = kelnl::allocation_hook;

class ServerFlag {
 public:
  explicit ServerFlag(int32_t value) : saved_(sscoreserverflag) { sscoreserverflag = value; }
  ~ServerFlag() { sscoreserverflag = saved_; }

 private:
  int32_t saved_;
};

TEST(Allocator, BlockReleasedByItsOwnFamilyAfterTheFlagChanges) {
  void* from_heap = nullptr;
  void* from_core = nullptr;
  {
    ServerFlag server(0);
    from_heap = kelnl::Allocate(40);
  }
  {
    ServerFlag server(1);
    from_core = kelnl::AllocateZeroed(3, 16);
    ASSERT_NE(from_core, nullptr);
    EXPECT_EQ(0, std::memcmp(from_core, std::string(48, '\0').data(), 48));
    // A heap block released while the server flag is set must still go back to the heap.
    kelnl::Release(from_heap);
  }
  ServerFlag ordinary(0);
  from_core = kelnl::Reallocate(from_core, 4096);
  ASSERT_NE(from_core, nullptr);
  kelnl::Release(from_core);
  // Ordinary blocks are plain heap blocks: a component frees what the library returned to it.
  std::free(kelnl::Allocate(32));
}

// Every sweep in the suite trusts this hook: it must count live blocks and fail exactly the
// allocation it was told to.
TEST(Allocator, FailureHookFailsTheNthOrEveryLaterAllocationAndCountsLiveBlocks) {
  const long before = hook::LiveBlocks();
  hook::FailNth(3);
  void* first = kelnl::Allocate(8);
  void* second = kelnl::AllocateZeroed(1, 8);
  EXPECT_FALSE(hook::Failed());
  EXPECT_EQ(kelnl::Reallocate(second, 64), nullptr) << "the third attempt fails and keeps the block";
  EXPECT_TRUE(hook::Failed());
  void* fourth = kelnl::Reallocate(nullptr, 8);
  EXPECT_NE(fourth, nullptr);
  EXPECT_EQ(hook::Attempts(), 4);
  hook::Disarm();
  EXPECT_EQ(hook::LiveBlocks(), before + 3);
  second = kelnl::Reallocate(second, 1 << 20);
  EXPECT_EQ(hook::LiveBlocks(), before + 3);
  kelnl::Release(second);
  kelnl::Release(fourth);
  kelnl::Release(nullptr);
  EXPECT_EQ(hook::LiveBlocks(), before + 1);

  hook::FailNth(2, true);
  void* kept = kelnl::Allocate(8);
  EXPECT_NE(kept, nullptr);
  EXPECT_EQ(kelnl::Allocate(8), nullptr);
  EXPECT_EQ(kelnl::AllocateZeroed(2, 8), nullptr);
  hook::Disarm();
  kelnl::Release(first);
  kelnl::Release(kept);
  EXPECT_EQ(hook::LiveBlocks(), before);
}

TEST(Allocator, OverflowingSizesFailInsteadOfWrapping) {
  EXPECT_EQ(kelnl::AllocateZeroed(SIZE_MAX / 2, 4), nullptr);
  EXPECT_EQ(kelnl::Allocate(SIZE_MAX - 4), nullptr);
  EXPECT_EQ(ss_mem_cal(SIZE_MAX / 2, 4), nullptr);
}

TEST(CoreMemoryFamily, WorksLikeTheHeapAndKnowsItsBlocksThroughGrowthAndRemoval) {
  std::vector<void*> blocks;
  for (int i = 0; i < 3000; ++i) blocks.push_back(ss_mem_alc(static_cast<size_t>(i % 50)));
  void* heap_block = std::malloc(8);
  EXPECT_FALSE(kelnl::CoreFamilyOwns(heap_block));
  // Release in an order unrelated to allocation, checking the rest stay known.
  for (size_t step = 0; step < blocks.size(); ++step) {
    const size_t i = (step * 7919) % blocks.size();
    ASSERT_TRUE(kelnl::CoreFamilyOwns(blocks[i]));
    ss_mem_fre(blocks[i]);
    EXPECT_FALSE(kelnl::CoreFamilyOwns(blocks[i]));
  }
  ss_mem_fre(heap_block);  // refused: not the family's block
  std::free(heap_block);

  char* block = static_cast<char*>(ss_mem_cal(4, 4));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(block[i], 0);
  std::memcpy(block, "abcdefghijklmno", 16);
  block = static_cast<char*>(ss_mem_ral(block, 1000));
  ASSERT_NE(block, nullptr);
  EXPECT_STREQ(block, "abcdefghijklmno");
  ss_mem_fre(block);
  ss_mem_fre(nullptr);
}

}  // namespace
