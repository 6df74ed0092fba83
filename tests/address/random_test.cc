#include <gtest/gtest.h>

#include "kelnl/nlrn.h"
#include "tests/support/alloc_sweep.h"

namespace {

class RandomTest : public ::testing::Test {
 protected:
  void TearDown() override { nlrntrm(&context_); }

  // Seeds through nlrnini, then replaces the clock-made seed with a known one.
  void SeedWith(std::uint32_t seed) {
    ASSERT_EQ(nlrnini(&context_), 0u);
    context_.random_state->value = seed;
  }

  std::uint16_t Next() {
    std::uint16_t value = 0;
    EXPECT_EQ(nlrngr(&context_, &value), 0);
    return value;
  }

  NlGlobalContext context_{};
};

std::uint16_t Fold(std::uint32_t value) { return static_cast<std::uint16_t>((value >> 16) ^ (value & 0xFFFF)); }

TEST_F(RandomTest, FirstValueSeedsReseedingKeepsTheStateAndTerminationClearsIt) {
  EXPECT_EQ(nlrnini(nullptr), NLRN_STATUS_NO_MEMORY);
  std::uint16_t value = 0;
  EXPECT_EQ(nlrngr(&context_, nullptr), 1);
  nlrntrm(nullptr);
  nlrntrm(&context_);  // no state: only the slot
  EXPECT_EQ(context_.random_state, nullptr);
  // A first value without a state seeds one and is the folded seed, before any step.
  ASSERT_EQ(nlrngr(&context_, &value), 0);
  NlRandomState* state = context_.random_state;
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(value, Fold(state->value));
  Next();
  // Re-seeding keeps the state block; that it starts the steps over shows in the stepping test.
  ASSERT_EQ(nlrnini(&context_), 0u);
  EXPECT_EQ(context_.random_state, state);
  nlrntrm(&context_);
  EXPECT_EQ(context_.random_state, nullptr);
}

// value + 7 stays below the bound 9973 or is pulled back by 9871 before the product; the steps
// are 13020 and 178261, below theirs.
TEST_F(RandomTest, OneStepFromAKnownSeedTestsTheBoundBeforeTheProduct) {
  for (const auto& [seed, stepped] : {std::pair{1000u, 1007u}, {9965u, 9972u}, {9966u, 102u}}) {
    SeedWith(seed);
    const std::uint32_t expected = 971u * stepped + 178261u + 13020u;
    EXPECT_EQ(Next(), Fold(expected)) << seed;
    EXPECT_EQ(context_.random_state->value, expected) << seed;
  }
}

TEST_F(RandomTest, StepsArePulledBackAtTheirBounds) {
  SeedWith(0);
  context_.random_state->step_a = 99991 - 1907;  // reaches its bound exactly
  context_.random_state->step_b = 224729 - 73939 - 1;  // stays just below
  Next();
  EXPECT_EQ(context_.random_state->step_a, 99991u - 89989u);
  EXPECT_EQ(context_.random_state->step_b, 224729u - 1u);
  Next();
  EXPECT_EQ(context_.random_state->step_b, 224729u - 1u + 73939u - 96233u);
  // Large running values wrap in 32 bits instead of being pulled below the bound only once.
  context_.random_state->value = 0xFFFFFFF0u;
  Next();
  EXPECT_EQ(context_.random_state->value,
            971u * (0xFFFFFFF0u + 7u - 9871u) + context_.random_state->step_b + context_.random_state->step_a);
}

TEST_F(RandomTest, AllocationFailureLeavesNoState) {
  // A state left behind after a failure would be released twice by the clean-up.
  kelnl::testing::SweepExpectingCode([&] { return static_cast<std::int32_t>(nlrnini(&context_)); },
                                     NLRN_STATUS_NO_MEMORY, [&] { nlrntrm(&context_); });
  kelnl::testing::SweepAllocationFailures(
      [&] {
        std::uint16_t value = 7;
        const std::int32_t result = nlrngr(&context_, &value);
        EXPECT_EQ(result, kelnl::testing::AllocationFailed() ? 1 : 0);
        if (result != 0) {
          EXPECT_EQ(value, 7);
        }
      },
      [&] { nlrntrm(&context_); });
}

}  // namespace
