// A message facility for a test, reading message files from a home the test chooses.
#ifndef KELNL_TESTS_ERRORS_MESSAGE_TEST_SUPPORT_H
#define KELNL_TESTS_ERRORS_MESSAGE_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kelnl/nlem.h"
#include "kelnl/nler.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {

// The entries of an error stack, top first, as "error/facility/kind ...".
inline std::string Entries(const NlErrorStack* stack) {
  std::string text;
  for (int n = 1; n <= stack->depth; ++n) {
    text += (n == 1 ? "" : " ") + std::to_string(nlergoc(stack, n)) + "/" + std::to_string(nlergmfi(stack, n)) + "/" +
            std::to_string(stack->entries[stack->depth - n].kind);
  }
  return text;
}

// A fresh error stack per test, without a message facility or a print stream.
class ErrorStackTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(nlerinit(nullptr, &stack_, nullptr, nullptr), 0); }
  void TearDown() override {
    EXPECT_EQ(stack_->recovery_chain, nullptr) << "every frame is off the chain";
    EXPECT_EQ(nlerdestroy(nullptr, &stack_), 0);
  }
  // Entry n, 1 being the top.
  const NlErrorEntry& Entry(int n) const { return stack_->entries[stack_->depth - n]; }
  // The arguments of entry n as nlergmco reports them.
  std::vector<std::string> Arguments(int n) const {
    NlMessageComponents parts{};
    EXPECT_EQ(nlergmco(stack_, n, &parts), 0);
    std::vector<std::string> result;
    for (uint32_t i = 0; i < parts.arg_count; ++i) result.emplace_back(parts.args[i], parts.arg_lengths[i]);
    return result;
  }

  NlErrorStack* stack_ = nullptr;
};

// The home is the build tree's unless a test chooses its own, so that a TARVO_HOME of the
// developer's environment does not change what the tests read.
class MessageFacilityTest : public ::testing::Test {
 protected:
  MessageFacilityTest() { UseHome(KELNL_TEST_BUILD_HOME); }

  void SetUp() override { ASSERT_EQ(nleminz(&primary_, &facility_, 1, nullptr, 0, nullptr), 0); }
  void TearDown() override {
    if (facility_ != nullptr) {
      EXPECT_EQ(nlemdestroy(nullptr, &facility_), 0);
    }
  }

  // Writes <home>/network/mesg/nlus.msg under the temporary directory and makes it the home.
  void UseOwnMessages(const std::string& nl_messages) {
    std::filesystem::create_directories(home_.path() / "network" / "mesg");
    home_.Write("network/mesg/nlus.msg", nl_messages);
    UseHome(home_.path().string());
  }

  void UseHome(const std::string& home) {
    home_variable_.reset();  // restores the outer value before the new one is set
    home_variable_ = std::make_unique<ScopedEnvironment>("TARVO_HOME", home.c_str());
  }

  std::string Format(int emfi, std::uint32_t error, int arg_count = 0, int indent = 0,
                     int with_prefix = 1, std::size_t size = 512) {
    std::string buffer(size, '#');
    std::size_t length = 999;
    EXPECT_EQ(nlemgmz(&primary_, facility_, emfi, error, 2, arg_count, indent, with_prefix,
                      buffer.data(), size, &length), 0);
    EXPECT_EQ(length, std::char_traits<char>::length(buffer.c_str()));
    return std::string(buffer.c_str());
  }

  NlPrimaryErrorRecord primary_{};
  NlMessageFacility* facility_ = nullptr;
  TempDir home_;
  std::unique_ptr<ScopedEnvironment> home_variable_;
};

}  // namespace kelnl::testing

#endif
