// The multiple-address iterator: normalisation, order, routes, texts and bad input.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "kelnl/nlmad.h"
#include "tests/address/address_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace {

using kelnl::testing::SeededContext;
using kelnl::testing::TextOf;

constexpr std::uint32_t kSeed = 4242;

class MultiAddressTest : public ::testing::Test {
 protected:
  void TearDown() override { nlmadtrm(&handle_); }

  // Starts over text and then puts the re-seeded generator back on the known seed.
  std::int32_t Start(const std::string& text, std::uint32_t options = NLMAD_OPTION_TEXTS) {
    text_ = text;
    const std::int32_t result =
        nlmadini(context_.get(), &handle_, text_.data(), static_cast<std::uint32_t>(text_.size()), options);
    context_.Reseed();
    return result;
  }

  std::vector<std::string> Entries(std::int32_t expected_end = NLMAD_GET_NONE_LEFT) {
    std::vector<std::string> entries;
    std::int32_t result = 0;
    while ((result = nlmadget(handle_)) == NLMAD_GET_OK) {
      entries.push_back(TextOf(handle_->entry));
      if (handle_->entry_text != nullptr) {
        EXPECT_EQ(handle_->entry_text, entries.back());
      }
    }
    EXPECT_EQ(result, expected_end);
    return entries;
  }

  SeededContext context_{kSeed};
  std::string text_;
  NlMultiAddressIterator* handle_ = nullptr;
};

const std::string kA = "(ADDRESS=(PROTOCOL=tcp)(HOST=a))";
const std::string kB = "(ADDRESS=(PROTOCOL=ipc)(KEY=b))";
const std::string kC = "(ADDRESS=(HOST=c))";

TEST_F(MultiAddressTest, EachFormComesOutAsTheCallerGaveIt) {
  ASSERT_EQ(Start(kA), 0);
  EXPECT_EQ(handle_->form, NLMAD_FORM_ADDRESS);
  EXPECT_EQ(Entries(), std::vector<std::string>{kA});

  ASSERT_EQ(Start("(ADDRESS_LIST=" + kA + kB + kC + ")"), 0);
  EXPECT_EQ(Entries(), (std::vector<std::string>{kA, kB, kC}));

  ASSERT_EQ(Start("(DESCRIPTION=(ADDRESS_LIST=" + kA + kB + ")(CONNECT_DATA=(SID=x)))"), 0);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"(DESCRIPTION=(CONNECT_DATA=(SID=x))" + kA + ")",
                                                 "(DESCRIPTION=(CONNECT_DATA=(SID=x))" + kB + ")"}));

  // Leading blanks and redundant outer parentheses are passed over, the keyword's case ignored.
  ASSERT_EQ(Start("  ((description=" + kC + ") )"), 0);
  EXPECT_EQ(handle_->form, NLMAD_FORM_DESCRIPTION);
  EXPECT_EQ(Entries(), std::vector<std::string>{"(description=" + kC + ")"});
  EXPECT_EQ(Start("  ((description=" + kC + ")"), NLMAD_INIT_REFUSED);
  EXPECT_EQ(handle_, nullptr);
}

TEST_F(MultiAddressTest, DescriptionsComeInRandomOrderEachWorkedThrough) {
  const std::string d1 = "(DESCRIPTION=(ADDRESS_LIST=" + kA + kB + "))";
  const std::string d2 = "(DESCRIPTION=" + kC + ")";
  ASSERT_EQ(Start("(DESCRIPTION_LIST=" + d1 + d2 + ")"), 0);
  // This seed's first draw is odd: the second description comes first.
  EXPECT_EQ(Entries(), (std::vector<std::string>{d2, "(DESCRIPTION=" + kA + ")", "(DESCRIPTION=" + kB + ")"}));
}

TEST_F(MultiAddressTest, MoreThanTenDescriptionsAreAllHandedOutOnce) {
  std::string list = "(DESCRIPTION_LIST=";
  std::set<std::string> all;
  for (int i = 0; i < 25; ++i) {
    const std::string description = "(DESCRIPTION=(ADDRESS=(HOST=h" + std::to_string(i) + ")))";
    list += description;
    all.insert(description);
  }
  ASSERT_EQ(Start(list + ")"), 0);
  const auto entries = Entries();
  EXPECT_EQ(entries.size(), all.size());
  EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()), all);
}

TEST_F(MultiAddressTest, SourceRoutesAndTheRoutedOnlyOption) {
  const std::string routed = "(DESCRIPTION=(SOURCE_ROUTE=yes)(HOP_COUNT=1)(ADDRESS_LIST=" + kA + kB + kC + "))";
  ASSERT_EQ(Start(routed), 0);
  EXPECT_EQ(Entries(), std::vector<std::string>{kB});

  const std::string whole = "(DESCRIPTION=(SOURCE_ROUTE=yes)(ADDRESS_LIST=" + kA + kB + "))";
  const std::string plain = "(DESCRIPTION=" + kC + ")";
  ASSERT_EQ(Start("(DESCRIPTION_LIST=" + plain + whole + ")", NLMAD_OPTION_ROUTED_ONLY), 0);
  EXPECT_EQ(Entries(), std::vector<std::string>{whole});
  // Other spellings do not switch the restriction on.
  const std::string mixed = "(DESCRIPTION=(Source_Route=Yes)(ADDRESS_LIST=" + kA + "))";
  ASSERT_EQ(Start("(DESCRIPTION_LIST=" + plain + mixed + ")", NLMAD_OPTION_ROUTED_ONLY), 0);
  EXPECT_EQ(Entries().size(), 2u);
}

TEST_F(MultiAddressTest, TextsOfTheEntryAndItsFirstAddress) {
  ASSERT_EQ(Start("(DESCRIPTION=(ADDRESS_LIST=" + kB + kA + "))"), 0);
  ASSERT_EQ(nlmadget(handle_), 0);
  EXPECT_STREQ(handle_->address_text, kB.c_str());
  EXPECT_STREQ(handle_->protocol, "ipc");
  ASSERT_EQ(Start("(DESCRIPTION=" + kC + ")"), 0);
  ASSERT_EQ(nlmadget(handle_), 0);
  EXPECT_STREQ(handle_->address_text, kC.c_str());
  EXPECT_EQ(handle_->protocol, nullptr);
  ASSERT_EQ(Start(kA, 0), 0);
  ASSERT_EQ(nlmadget(handle_), 0);
  EXPECT_EQ(handle_->entry_text, nullptr);
  EXPECT_EQ(TextOf(handle_->entry), kA);
}

TEST_F(MultiAddressTest, RefusedEmptyAndAddresslessDescriptors) {
  for (const char* text : {"(CONNECT_DATA=(SID=x))", "", "(((", "(ADDRESS=(HOST=a)", "(DESCRIPTION_LIST=x)"}) {
    EXPECT_EQ(Start(text), NLMAD_INIT_REFUSED) << text;
    EXPECT_EQ(handle_, nullptr);
  }
  EXPECT_EQ(nlmadini(context_.get(), &handle_, nullptr, 0, 0), NLMAD_INIT_REFUSED);
  EXPECT_EQ(nlmadget(nullptr), NLMAD_GET_NONE_LEFT);
  nlmadtrm(nullptr);

  ASSERT_EQ(Start("(DESCRIPTION_LIST=)"), 0);
  EXPECT_TRUE(Entries().empty());
  ASSERT_EQ(Start("(DESCRIPTION=(CONNECT_DATA=(SID=x)))"), 0);
  EXPECT_TRUE(Entries(NLMAD_GET_NO_ADDRESS).empty());
  // An empty address list is passed over for the next description.
  ASSERT_EQ(Start("(DESCRIPTION_LIST=(DESCRIPTION=(ADDRESS_LIST=))(DESCRIPTION=" + kC + "))"), 0);
  EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(MultiAddressTest, AllocationFailuresLeaveAUsableHandleOrNone) {
  const std::string text = "(DESCRIPTION_LIST=(DESCRIPTION=(ADDRESS_LIST=" + kA + kB + "))(DESCRIPTION=(SOURCE_ROUTE=yes)"
                           "(HOP_COUNT=0)(ADDRESS_LIST=" + kC + "))" + std::string(10 * 40, ' ') + ")";
  const long allocations = kelnl::testing::SweepAllocationFailures(
      [&] {
        const std::int32_t result = Start(text);
        if (result != 0) {
          EXPECT_EQ(result, NLMAD_INIT_NO_MEMORY);
          EXPECT_EQ(handle_, nullptr);
          return;
        }
        int handed_out = 0;
        for (std::int32_t got = 0; (got = nlmadget(handle_)) != NLMAD_GET_NONE_LEFT; ++handed_out) {
          ASSERT_TRUE(got == NLMAD_GET_OK || (got == NLMAD_GET_NO_MEMORY && kelnl::testing::AllocationFailed()));
        }
        EXPECT_EQ(handed_out, 3);
      },
      [&] { nlmadtrm(&handle_); }, kelnl::testing::FailureForm::kBoth);
  RecordProperty("allocations", static_cast<int>(allocations));
  EXPECT_GT(allocations, 10);
}

}  // namespace
