// Helpers for the iterator tests: a context with a known random seed and outputs as text.
#ifndef KELNL_TESTS_ADDRESS_ADDRESS_TEST_SUPPORT_H
#define KELNL_TESTS_ADDRESS_ADDRESS_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelnl/nlad.h"
#include "kelnl/nlrn.h"
#include "tests/nv/nv_test_util.h"

namespace kelnl::testing {

inline std::string TextOf(const NlnvBinding* binding) {
  return binding == nullptr ? "<null>" : kelnv::testing::TextOf(binding);
}

// A context whose generator starts from a known seed.
class SeededContext {
 public:
  explicit SeededContext(std::uint32_t seed) : seed_(seed) { Reseed(); }
  ~SeededContext() { nlrntrm(&context_); }
  void Reseed() {
    EXPECT_EQ(nlrnini(&context_), 0u);
    context_.random_state->value = seed_;
  }
  NlGlobalContext* get() { return &context_; }

 private:
  std::uint32_t seed_;
  NlGlobalContext context_{};
};

// An iterator over a descriptor, started and drained.
class AddressIteratorTest : public ::testing::Test {
 protected:
  void TearDown() override { nladtrm(&handle_); }

  std::int32_t Start(const std::string& text, std::uint16_t options = 0) {
    nladtrm(&handle_);
    return nladini_t(context_.get(), &handle_, text.data(), text.size(), options);
  }

  // The connect output of every call until the first non-zero result, each followed by
  // " -> " and the forward output where that differs.
  std::vector<std::string> All() {
    std::vector<std::string> outputs;
    NlnvBinding* connect = nullptr;
    NlnvBinding* forward = nullptr;
    while (nladget(handle_, &connect, &forward) == NLAD_GET_OK) {
      const std::string forwarded = TextOf(forward) == TextOf(connect) ? "" : " -> " + TextOf(forward);
      outputs.push_back(TextOf(connect) + forwarded);
    }
    EXPECT_EQ(connect, nullptr);
    return outputs;
  }

  // How many addresses come before nladget stops handing out.
  long Drain() {
    NlnvBinding* connect = nullptr;
    NlnvBinding* forward = nullptr;
    long count = 0;
    while (nladget(handle_, &connect, &forward) == NLAD_GET_OK) ++count;
    return count;
  }

  SeededContext context_{20261206};
  NlAddressIterator* handle_ = nullptr;
};

}  // namespace kelnl::testing

#endif
