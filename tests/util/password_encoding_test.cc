#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kelnl/kelnl.h"
#include "platform/core/core.h"

namespace {

std::string Encode(const char* password, uint32_t capacity = 128) {
  char out[256];
  uint32_t length = capacity;
  if (lncupwe(&length, 16, password, out, "quillmoth", 3, 0) == 0) return "<refused>";
  EXPECT_EQ(length, std::strlen(out));
  return out;
}

TEST(PasswordEncoding, DeterministicHexOfWholeBlocks) {
  const std::string first = Encode("tiger");
  EXPECT_EQ(first.size(), 32u) << "length byte and 5 characters fill one 16-byte block";
  EXPECT_EQ(first.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_NE(first, Encode("tigers"));
  EXPECT_EQ(Encode("fifteen-chars!!").size(), 32u);
  EXPECT_EQ(Encode("sixteen-chars!!!").size(), 64u);
  EXPECT_EQ(Encode("tiger", 32), "<refused>") << "no room for the terminator";
  EXPECT_EQ(Encode("tiger", 33), first);
}

class PasswordOfContext : public ::testing::Test {
 protected:
  void SetUp() override {
    NlPrimaryErrorRecord record{};
    ASSERT_EQ(nlerinit(&record, &context_.error_stack, nullptr, nullptr), 0);
  }
  void TearDown() override {
    NlPrimaryErrorRecord record{};
    nlerdestroy(&record, &context_.error_stack);
  }
  NlGlobalContext context_{};
};

TEST_F(PasswordOfContext, MissingInputAndFailuresArePushed) {
  char out[64];
  uint32_t length = sizeof out;
  ASSERT_EQ(nlpspen(&context_, "secret", out, &length), 0);
  EXPECT_EQ(std::string(out), Encode("secret"));
  EXPECT_EQ(nlergoc(context_.error_stack, 1), 0u);

  EXPECT_EQ(nlpspen(&context_, "", out, &length), NLE_PASSWORD_MISSING);
  EXPECT_EQ(nlergoc(context_.error_stack, 1), static_cast<uint32_t>(NLE_PASSWORD_MISSING));
  EXPECT_EQ(nlpspen(&context_, "secret", nullptr, &length), NLE_PASSWORD_MISSING);
  length = 8;
  EXPECT_EQ(nlpspen(&context_, "secret", out, &length), NLE_PASSWORD_ENCODING_FAILED);
  EXPECT_EQ(nlergoc(context_.error_stack, 1), static_cast<uint32_t>(NLE_PASSWORD_ENCODING_FAILED));
}

}  // namespace
