// The addresses an iterator hands out, in order, with the two outputs around each.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/address/address_test_support.h"

namespace {

using kelnl::testing::SeededContext;
using kelnl::testing::TextOf;

constexpr std::uint32_t kSeed = 20261206;

class AddressOrderTest : public ::testing::Test {
 protected:
  void TearDown() override { nladtrm(&handle_); }

  std::int32_t Start(const std::string& text, std::uint16_t options = 0) {
    nladtrm(&handle_);
    return nladini_t(context_.get(), &handle_, text.data(), text.size(), options);
  }

  // Every (connect, forward) pair until the first non-zero result.
  std::vector<std::pair<std::string, std::string>> All() {
    std::vector<std::pair<std::string, std::string>> outputs;
    NlnvBinding* connect = nullptr;
    NlnvBinding* forward = nullptr;
    while (nladget(handle_, &connect, &forward) == NLAD_GET_OK) outputs.emplace_back(TextOf(connect), TextOf(forward));
    EXPECT_EQ(connect, nullptr);
    return outputs;
  }

  std::vector<std::string> Connects() {
    std::vector<std::string> texts;
    for (const auto& [connect, forward] : All()) texts.push_back(connect);
    return texts;
  }

  SeededContext context_{kSeed};
  NlAddressIterator* handle_ = nullptr;
};

const std::string kA = "(ADDRESS=(PROTOCOL=tcp)(HOST=a))";
const std::string kB = "(ADDRESS=(PROTOCOL=tcp)(HOST=b))";
const std::string kC = "(ADDRESS=(PROTOCOL=tcp)(HOST=c))";
const std::string kData = "(CONNECT_DATA=(SID=x))";

TEST_F(AddressOrderTest, BareAddressComesOutOnceAsBothOutputs) {
  ASSERT_EQ(Start(kA), 0);
  NlnvBinding* connect = nullptr;
  NlnvBinding* forward = nullptr;
  ASSERT_EQ(nladget(handle_, &connect, &forward), 0);
  EXPECT_EQ(connect, forward);
  EXPECT_EQ(connect, handle_->descriptor);
  EXPECT_EQ(nladget(handle_, &connect, &forward), NLAD_GET_NONE_LEFT);
  EXPECT_EQ(connect, nullptr);
  EXPECT_EQ(forward, handle_->descriptor);  // left as it was
}

TEST_F(AddressOrderTest, DescriptionWrapsEachAddressWithItsOtherParameters) {
  ASSERT_EQ(Start("(DESCRIPTION=" + kA + kB + kData + ")"), 0);
  const auto outputs = All();
  ASSERT_EQ(outputs.size(), 2u);
  EXPECT_EQ(outputs[0].first, "(DESCRIPTION=" + kA + kData + ")");
  EXPECT_EQ(outputs[1].first, "(DESCRIPTION=" + kB + kData + ")");
  EXPECT_EQ(outputs[1].second, outputs[1].first);

  ASSERT_EQ(Start("(DESCRIPTION=(FAILOVER=off)" + kA + kB + kData + ")"), 0);
  EXPECT_EQ(Connects(), std::vector<std::string>{"(DESCRIPTION=(FAILOVER=off)" + kA + kData + ")"});
}

TEST_F(AddressOrderTest, AddressListMembersComeBeforeTheNextMember) {
  ASSERT_EQ(Start("(DESCRIPTION=(ADDRESS_LIST=" + kA + kB + ")" + kC + ")"), 0);
  EXPECT_EQ(Connects(), (std::vector<std::string>{"(DESCRIPTION=" + kA + ")", "(DESCRIPTION=" + kB + ")",
                                                  "(DESCRIPTION=" + kC + ")"}));
}

TEST_F(AddressOrderTest, LoadBalancedListFollowsTheGenerator) {
  ASSERT_EQ(Start("(ADDRESS_LIST=(LOAD_BALANCE=on)" + kA + kB + ")"), 0);
  const bool b_first = context_.Draws(1)[0] % 2 == 1;
  EXPECT_EQ(Connects(), b_first ? (std::vector<std::string>{kB, kA}) : (std::vector<std::string>{kA, kB}));
}

TEST_F(AddressOrderTest, LoadBalanceValuesIgnoreCase) {
  // A balanced list draws from the generator; the context starts without a generator state.
  for (const char* value : {"on", "ON", "Yes", "TRUE", "1", "maybe"}) {
    nlrntrm(context_.get());
    ASSERT_EQ(Start(std::string("(ADDRESS_LIST=(LOAD_BALANCE=") + value + ")" + kA + kB + ")"), 0);
    EXPECT_EQ(All().size(), 2u);
    const bool balanced = std::string(value) != "1" && std::string(value) != "maybe";
    EXPECT_EQ(context_.get()->random_state != nullptr, balanced) << value;
  }
}

TEST_F(AddressOrderTest, DescriptionListShufflesDescriptionsUnlessInOrder) {
  const std::string d1 = "(DESCRIPTION=" + kA + kB + ")";
  const std::string d2 = "(DESCRIPTION=" + kC + ")";
  const std::string d3 = "(DESCRIPTION=(ADDRESS=(HOST=d)))";
  const std::string list = "(DESCRIPTION_LIST=" + d1 + d2 + d3 + ")";
  const std::vector<std::vector<std::string>> per_description = {
      {"(DESCRIPTION=" + kA + ")", "(DESCRIPTION=" + kB + ")"}, {d2}, {d3}};

  ASSERT_EQ(Start(list, NLAD_OPTION_LIST_IN_ORDER), 0);
  EXPECT_EQ(Connects(), (std::vector<std::string>{per_description[0][0], per_description[0][1], d2, d3}));

  ASSERT_EQ(Start(list), 0);
  // Each fresh choice takes the (r mod active)-th remaining description in descriptor order.
  std::vector<int> remaining = {0, 1, 2};
  std::vector<std::string> expected;
  for (std::uint16_t r : context_.Draws(3)) {
    const auto pick = remaining.begin() + r % remaining.size();
    for (const auto& text : per_description[static_cast<std::size_t>(*pick)]) expected.push_back(text);
    remaining.erase(pick);
  }
  EXPECT_EQ(Connects(), expected);
}

TEST_F(AddressOrderTest, SourceRouteHandsOutTheHopAndForwardsTheRoute) {
  const std::string routed = "(DESCRIPTION=(SOURCE_ROUTE=yes)" + kA + kB + ")";
  ASSERT_EQ(Start(routed), 0);
  auto outputs = All();
  ASSERT_EQ(outputs.size(), 1u);
  EXPECT_EQ(outputs[0].first, "(DESCRIPTION=(SOURCE_ROUTE=yes)" + kA + ")");
  EXPECT_EQ(outputs[0].second, routed);

  ASSERT_EQ(Start("(DESCRIPTION=(SOURCE_ROUTE=yes)(HOP_COUNT=2)" + kA + kB + ")"), 0);
  EXPECT_EQ(Connects(), std::vector<std::string>{"(DESCRIPTION=(SOURCE_ROUTE=yes)(HOP_COUNT=2)" + kB + ")"});

  ASSERT_EQ(Start(routed, NLAD_OPTION_NEXT_HOP), 0);
  outputs = All();
  ASSERT_EQ(outputs.size(), 1u);
  EXPECT_EQ(outputs[0].first, "(DESCRIPTION=(SOURCE_ROUTE=yes)" + kB + ")");
  EXPECT_EQ(outputs[0].second, "(DESCRIPTION=(SOURCE_ROUTE=yes)" + kA + kB + "(HOP_COUNT=2))");
}

TEST_F(AddressOrderTest, RoutedDescriptionMovesTheHopCountUpFromItsList) {
  const std::string list = "(ADDRESS_LIST=" + kA + kB + kC + ")";
  ASSERT_EQ(Start("(DESCRIPTION=(SOURCE_ROUTE=yes)" + list + kData + ")", NLAD_OPTION_NEXT_HOP), 0);
  const auto outputs = All();
  ASSERT_EQ(outputs.size(), 1u);
  EXPECT_EQ(outputs[0].first, "(DESCRIPTION=(SOURCE_ROUTE=yes)" + kB + kData + ")");
  EXPECT_EQ(outputs[0].second, "(DESCRIPTION=(SOURCE_ROUTE=yes)" + list + kData + "(HOP_COUNT=2))");
}

TEST_F(AddressOrderTest, RoutedListForwardsItselfWithItsNewHopCount) {
  ASSERT_EQ(Start("(ADDRESS_LIST=(SOURCE_ROUTE=on)(HOP_COUNT=1)" + kA + kB + kC + ")", NLAD_OPTION_NEXT_HOP), 0);
  const auto outputs = All();
  ASSERT_EQ(outputs.size(), 1u);
  EXPECT_EQ(outputs[0].first, kB);
  EXPECT_EQ(outputs[0].second, "(ADDRESS_LIST=(SOURCE_ROUTE=on)" + kA + kB + kC + "(HOP_COUNT=2))");
  // A hop beyond the members leaves nothing.
  ASSERT_EQ(Start("(ADDRESS_LIST=(SOURCE_ROUTE=on)(HOP_COUNT=9)" + kA + kB + ")"), 0);
  EXPECT_TRUE(All().empty());
}

TEST_F(AddressOrderTest, RoutedOnlyOptionDropsUnroutedMembers) {
  const std::string routed = "(ADDRESS_LIST=(SOURCE_ROUTE=yes)" + kB + kC + ")";
  ASSERT_EQ(Start("(ADDRESS_LIST=" + kA + routed + ")", NLAD_OPTION_ROUTED_ONLY), 0);
  EXPECT_EQ(Connects(), std::vector<std::string>{kB});
  ASSERT_EQ(Start("(ADDRESS_LIST=" + kA + routed + ")"), 0);
  EXPECT_EQ(Connects(), (std::vector<std::string>{kA, kB}));
}

TEST_F(AddressOrderTest, MemberWithoutAddressEndsOneCallOnly) {
  ASSERT_EQ(Start("(DESCRIPTION_LIST=(DESCRIPTION=" + kData + ")(DESCRIPTION=" + kA + "))",
                  NLAD_OPTION_LIST_IN_ORDER),
            0);
  NlnvBinding* connect = nullptr;
  NlnvBinding* forward = nullptr;
  EXPECT_EQ(nladget(handle_, &connect, &forward), NLAD_GET_NONE_LEFT);
  EXPECT_EQ(Connects(), std::vector<std::string>{"(DESCRIPTION=" + kA + ")"});
}

TEST_F(AddressOrderTest, ProtocolOptionPointsAtTheAddressesProtocol) {
  ASSERT_EQ(Start("(ADDRESS_LIST=" + kA + "(ADDRESS=(HOST=z)))", NLAD_OPTION_PROTOCOL), 0);
  EXPECT_EQ(handle_->protocol, nullptr);
  NlnvBinding* connect = nullptr;
  NlnvBinding* forward = nullptr;
  ASSERT_EQ(nladget(handle_, &connect, &forward), 0);
  ASSERT_NE(handle_->protocol, nullptr);
  EXPECT_STREQ(handle_->protocol, "tcp");
  ASSERT_EQ(nladget(handle_, &connect, &forward), 0);
  EXPECT_EQ(handle_->protocol, nullptr);
}

}  // namespace
