// The addresses an iterator hands out, in order, with the two outputs around each; bad
// arguments, bad and extreme descriptors, and running out of memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/address/address_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace {

using kelnl::testing::TextOf;
using AddressOrderTest = kelnl::testing::AddressIteratorTest;
using AddressInputTest = kelnl::testing::AddressIteratorTest;

const std::string kA = "(ADDRESS=(PROTOCOL=tcp)(HOST=a))";
const std::string kB = "(ADDRESS=(PROTOCOL=tcp)(HOST=b))";
const std::string kC = "(ADDRESS=(PROTOCOL=tcp)(HOST=c))";
const std::string kData = "(CONNECT_DATA=(SID=x))";

// Descriptors whose order owes nothing to the generator, and what each call hands out.
TEST_F(AddressOrderTest, OutputsOfEachShapeInOrder) {
  const std::string routed = "(DESCRIPTION=(SOURCE_ROUTE=yes)" + kA + kB + ")";
  const std::string list = "(ADDRESS_LIST=" + kA + kB + kC + ")";
  const std::string routed_list = "(ADDRESS_LIST=(SOURCE_ROUTE=yes)" + kB + kC + ")";
  const struct {
    std::string text;
    std::uint16_t options;
    std::vector<std::string> outputs;
  } cases[] = {
      {kA, 0, {kA}},
      // A description wraps each address with its other parameters; failover off stops at one.
      {"(DESCRIPTION=" + kA + kB + kData + ")", 0,
       {"(DESCRIPTION=" + kA + kData + ")", "(DESCRIPTION=" + kB + kData + ")"}},
      {"(DESCRIPTION=(FAILOVER=off)" + kA + kB + kData + ")", 0, {"(DESCRIPTION=(FAILOVER=off)" + kA + kData + ")"}},
      // The members of an address list come before the next member.
      {"(DESCRIPTION=(ADDRESS_LIST=" + kA + kB + ")" + kC + ")", 0,
       {"(DESCRIPTION=" + kA + ")", "(DESCRIPTION=" + kB + ")", "(DESCRIPTION=" + kC + ")"}},
      // A source route hands out its current hop and forwards the route; the next-hop option moves
      // on a hop and raises the count in what it forwards (shown on a routed list below).
      {routed, 0, {"(DESCRIPTION=(SOURCE_ROUTE=yes)" + kA + ") -> " + routed}},
      {"(DESCRIPTION=(SOURCE_ROUTE=yes)(HOP_COUNT=2)" + kA + kB + ")", 0,
       {"(DESCRIPTION=(SOURCE_ROUTE=yes)(HOP_COUNT=2)" + kB + ") -> (DESCRIPTION=(SOURCE_ROUTE=yes)(HOP_COUNT=2)" +
        kA + kB + ")"}},
      // A routed description moves the hop count up from its list; a routed list forwards itself.
      {"(DESCRIPTION=(SOURCE_ROUTE=yes)" + list + kData + ")", NLAD_OPTION_NEXT_HOP,
       {"(DESCRIPTION=(SOURCE_ROUTE=yes)" + kB + kData + ") -> (DESCRIPTION=(SOURCE_ROUTE=yes)" + list + kData +
        "(HOP_COUNT=2))"}},
      {"(ADDRESS_LIST=(SOURCE_ROUTE=on)(HOP_COUNT=1)" + kA + kB + kC + ")", NLAD_OPTION_NEXT_HOP,
       {kB + " -> (ADDRESS_LIST=(SOURCE_ROUTE=on)" + kA + kB + kC + "(HOP_COUNT=2))"}},
      {"(ADDRESS_LIST=(SOURCE_ROUTE=on)(HOP_COUNT=9)" + kA + kB + ")", 0, {}},  // a hop beyond the members
      // The routed-only option drops unrouted members.
      {"(ADDRESS_LIST=" + kA + routed_list + ")", NLAD_OPTION_ROUTED_ONLY, {kB + " -> " + routed_list}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Start(c.text, c.options), 0) << c.text;
    EXPECT_EQ(All(), c.outputs) << c.text;
  }
}

// A balanced list takes its order from the generator (this seed's first draw puts b first);
// the value's case is ignored, and other values keep the list in order.
TEST_F(AddressOrderTest, LoadBalancedListFollowsTheGenerator) {
  for (const std::string value : {"on", "ON", "Yes", "TRUE", "1", "maybe"}) {
    context_.Reseed();
    ASSERT_EQ(Start("(ADDRESS_LIST=(LOAD_BALANCE=" + value + ")" + kA + kB + ")"), 0);
    const bool balanced = value != "1" && value != "maybe";
    EXPECT_EQ(All(), balanced ? (std::vector<std::string>{kB, kA}) : (std::vector<std::string>{kA, kB})) << value;
  }
  nlrntrm(context_.get());
  ASSERT_EQ(Start("(ADDRESS_LIST=(LOAD_BALANCE=on)" + kA + kB + ")"), 0);
  EXPECT_EQ(All().size(), 2u);
  EXPECT_NE(context_.get()->random_state, nullptr) << "a balanced list seeds a generator the context lacks";
}

TEST_F(AddressOrderTest, DescriptionListShufflesDescriptionsUnlessInOrder) {
  const std::string d1 = "(DESCRIPTION=" + kA + kB + ")";
  const std::string d2 = "(DESCRIPTION=" + kC + ")";
  const std::string d3 = "(DESCRIPTION=(ADDRESS=(HOST=d)))";
  const std::string list = "(DESCRIPTION_LIST=" + d1 + d2 + d3 + ")";
  const std::string a = "(DESCRIPTION=" + kA + ")";
  const std::string b = "(DESCRIPTION=" + kB + ")";

  ASSERT_EQ(Start(list, NLAD_OPTION_LIST_IN_ORDER), 0);
  EXPECT_EQ(All(), (std::vector<std::string>{a, b, d2, d3}));
  // Each fresh choice takes the (r mod active)-th remaining description: this seed's draws
  // (2 mod 3, then 0 mod 2) pick the third, then the first.
  ASSERT_EQ(Start(list), 0);
  EXPECT_EQ(All(), (std::vector<std::string>{d3, a, b, d2}));
}

TEST_F(AddressOrderTest, MemberWithoutAddressEndsOneCallOnly) {
  ASSERT_EQ(Start("(DESCRIPTION_LIST=(DESCRIPTION=" + kData + ")(DESCRIPTION=" + kA + "))",
                  NLAD_OPTION_LIST_IN_ORDER),
            0);
  NlnvBinding* connect = nullptr;
  NlnvBinding* forward = nullptr;
  EXPECT_EQ(nladget(handle_, &connect, &forward), NLAD_GET_NONE_LEFT);
  EXPECT_EQ(All(), std::vector<std::string>{"(DESCRIPTION=" + kA + ")"});
}

TEST_F(AddressOrderTest, ProtocolOptionPointsAtTheAddressesProtocol) {
  ASSERT_EQ(Start("(ADDRESS_LIST=" + kA + "(ADDRESS=(HOST=z)))", NLAD_OPTION_PROTOCOL), 0);
  NlnvBinding* connect = nullptr;
  NlnvBinding* forward = nullptr;
  ASSERT_EQ(nladget(handle_, &connect, &forward), 0);
  EXPECT_STREQ(handle_->protocol, "tcp");
  ASSERT_EQ(nladget(handle_, &connect, &forward), 0);
  EXPECT_EQ(handle_->protocol, nullptr);
}

TEST_F(AddressInputTest, BadArgumentsAndAFullSlot) {
  const std::string text = "(ADDRESS=(HOST=a))";
  EXPECT_EQ(nladini_t(nullptr, &handle_, text.data(), text.size(), 0), NLAD_INIT_BAD_ARGUMENT);
  EXPECT_EQ(nladini(context_.get(), &handle_, nullptr, 0), NLAD_INIT_BAD_ARGUMENT);
  EXPECT_EQ(handle_, nullptr);
  ASSERT_EQ(Start(text), 0);
  NlAddressIterator* first = handle_;
  EXPECT_EQ(nladini_t(context_.get(), &handle_, text.data(), text.size(), 0), NLAD_INIT_SLOT_FULL);
  EXPECT_EQ(handle_, first);
  NlnvBinding* connect = handle_->descriptor;
  NlnvBinding* forward = nullptr;
  EXPECT_EQ(nladget(nullptr, &connect, &forward), NLAD_GET_NO_HANDLE);
  EXPECT_EQ(connect, nullptr);
  nladtrm(nullptr);
}

TEST_F(AddressInputTest, RefusedAndEmptyDescriptors) {
  EXPECT_EQ(Start("(DESCRIPTION=(ADDRESS=(HOST=a))"), NLAD_INIT_BAD_ARGUMENT) << "text that does not parse";
  EXPECT_EQ(handle_, nullptr);
  // Unknown keywords and atoms hold no address at all.
  for (const char* text : {"(CONNECT_DATA=(SID=x))", "(DESCRIPTIONS=(ADDRESS=(HOST=a)))", "(ADDRESS=a)"}) {
    EXPECT_EQ(Start(text), NLAD_INIT_NO_ADDRESS) << text;
    EXPECT_EQ(handle_, nullptr);
  }
  for (const char* text : {"(DESCRIPTION_LIST=)", "(DESCRIPTION_LIST=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS_LIST=))))",
                           "(address_list=(bogus=1))"}) {
    ASSERT_EQ(Start(text), 0) << text;
    EXPECT_EQ(Drain(), 0) << text;
  }
}

TEST_F(AddressInputTest, NestingAndListsBeyondTheLimitsAreRefusedAndTheDeepestAllowedWorks) {
  // Nesting beyond the parser's own limit is refused by the parser, tested with it.
  std::string wide = "(ADDRESS_LIST=";
  for (std::uint32_t i = 0; i <= NLAD_MAX_LIST_MEMBERS; ++i) wide += "(A=1)";
  EXPECT_EQ(Start(wide + ")"), NLAD_INIT_BAD_ARGUMENT);

  std::string deepest;
  for (int i = 1; i < NLNV_MAX_DEPTH - 1; ++i) deepest += "(ADDRESS_LIST=";
  deepest += "(ADDRESS=(HOST=a))";
  deepest.append(NLNV_MAX_DEPTH - 2, ')');
  ASSERT_EQ(Start(deepest), 0);
  EXPECT_EQ(Drain(), 1);
}

TEST_F(AddressInputTest, TenMegabyteDescriptorsIterateFully) {
  const std::string host(200, 'h');
  std::string list = "(ADDRESS_LIST=(LOAD_BALANCE=on)";
  constexpr long kAddresses = 50000;
  for (long i = 0; i < kAddresses; ++i) list += "(ADDRESS=(PROTOCOL=tcp)(HOST=" + host + ")(PORT=" + std::to_string(i) + "))";
  list += ")";
  ASSERT_GT(list.size(), 10u << 20);
  ASSERT_EQ(Start(list), 0);
  EXPECT_EQ(Drain(), kAddresses);

  const std::string atom = "(DESCRIPTION=(ADDRESS=(HOST=a))(CONNECT_DATA=" + std::string(10u << 20, 'x') + "))";
  ASSERT_EQ(Start(atom), 0);
  EXPECT_EQ(Drain(), 1);
}

TEST_F(AddressInputTest, CallerBindingIsNotOwned) {
  const std::string text = "(ADDRESS_LIST=(ADDRESS=(HOST=a))(ADDRESS=(HOST=b)))";
  NlnvBinding* descriptor = nullptr;
  ASSERT_EQ(nlnvcrb(text.data(), text.size(), &descriptor, nullptr), 0);
  // Freeing or keeping the caller's binding shows as a sanitizer fault below.
  ASSERT_EQ(nladini(context_.get(), &handle_, descriptor, 0), 0);
  EXPECT_EQ(Drain(), 2);
  nladtrm(&handle_);
  EXPECT_EQ(TextOf(descriptor), text);
  nlnvdeb(descriptor);
}

TEST_F(AddressInputTest, AllocationFailuresInExpansionAndIteration) {
  const std::string text =
      "(DESCRIPTION_LIST=(DESCRIPTION=(SOURCE_ROUTE=yes)(ADDRESS_LIST=(ADDRESS=(HOST=a))(ADDRESS=(HOST=b)))"
      "(CONNECT_DATA=(SID=x)))(DESCRIPTION=(ADDRESS_LIST=(LOAD_BALANCE=on)(ADDRESS=(HOST=c))(ADDRESS=(HOST=d)))"
      "(ADDRESS=(HOST=e))))";
  const long allocations = kelnl::testing::SweepAllocationFailures(
      [&] {
        context_.Reseed();
        const std::int32_t result = Start(text, NLAD_OPTION_NEXT_HOP | NLAD_OPTION_PROTOCOL);
        if (result != 0) {
          EXPECT_TRUE(kelnl::testing::AllocationFailed());
          EXPECT_TRUE(result == NLAD_INIT_BAD_ARGUMENT || result == NLAD_INIT_NO_MEMORY) << result;
          EXPECT_EQ(handle_, nullptr);
          return;
        }
        // Iteration cannot report memory; it must still hand out every address.
        EXPECT_EQ(Drain(), 4);
      },
      [&] { nladtrm(&handle_); }, kelnl::testing::FailureForm::kBoth);
  RecordProperty("allocations", static_cast<int>(allocations));
  EXPECT_GT(allocations, 20);  // the nodes, the trees and the outputs each allocate
}

}  // namespace
