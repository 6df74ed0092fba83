// Bad arguments, bad and extreme descriptors, and running out of memory.
#include <gtest/gtest.h>

#include <string>

#include "tests/address/address_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace {

using kelnl::testing::TextOf;
using AddressInputTest = kelnl::testing::AddressIteratorTest;

TEST_F(AddressInputTest, BadArgumentsAndAFullSlot) {
  const std::string text = "(ADDRESS=(HOST=a))";
  EXPECT_EQ(nladini_t(nullptr, &handle_, text.data(), text.size(), 0), NLAD_INIT_BAD_ARGUMENT);
  EXPECT_EQ(nladini_t(context_.get(), nullptr, text.data(), text.size(), 0), NLAD_INIT_BAD_ARGUMENT);
  EXPECT_EQ(nladini_t(context_.get(), &handle_, nullptr, 0, 0), NLAD_INIT_BAD_ARGUMENT);
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
  EXPECT_EQ(nladget(handle_, &connect, nullptr), NLAD_GET_NO_HANDLE);
  nladtrm(nullptr);
}

TEST_F(AddressInputTest, RefusedAndEmptyDescriptors) {
  // Text that does not parse, and a list where a value belongs.
  for (const char* text : {"(DESCRIPTION=(ADDRESS=(HOST=a))", "", "(DESCRIPTION=(ADDRESS=(HOST=(a))))"}) {
    EXPECT_EQ(Start(text), NLAD_INIT_BAD_ARGUMENT) << text;
    EXPECT_EQ(handle_, nullptr);
  }
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
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "(ADDRESS_LIST=";
  deep += "(ADDRESS=(HOST=a))";
  deep.append(100000, ')');
  EXPECT_EQ(Start(deep), NLAD_INIT_BAD_ARGUMENT);
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
  long addresses = 0;
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
        addresses = Drain();
        EXPECT_EQ(addresses, 4);
      },
      [&] { nladtrm(&handle_); }, kelnl::testing::FailureForm::kBoth);
  RecordProperty("allocations", static_cast<int>(allocations));
  EXPECT_GT(allocations, 20);  // the nodes, the trees and the outputs each allocate
}

}  // namespace
