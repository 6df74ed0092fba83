// Creating the message facility, registering message files and destroying it all again.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kelnl/nlem.h"
#include "kelnl/nlerrors.h"
#include "platform/nls/nls.h"
#include "tests/diagnostics/stream_test_support.h"
#include "tests/errors/message_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace {

using kelnl::testing::MessageFacilityTest;
using kelnl::testing::Slots;

constexpr char kSixteen[] = "ABCDEFGHIJKLMNOP";

TEST_F(MessageFacilityTest, RegistrationChecksNumberThenProductThenFacilityName) {
  EXPECT_EQ(nlemfireg(&primary_, facility_, 0, kSixteen, 16, "TOOLONG", 7), NLE_EMFI_INVALID);
  EXPECT_EQ(nlemfireg(&primary_, facility_, 256, "NETWORK", 7, "NL", 2), NLE_EMFI_INVALID);
  // The product is refused before the number is looked up, although emfi 1 exists.
  EXPECT_EQ(nlemfireg(&primary_, facility_, 1, kSixteen, 16, "TOOLONG", 7), NLE_PRODUCT_NAME_SIZE);
  EXPECT_EQ(nlemfireg(&primary_, facility_, 40, "NETWORK", 0, "NL", 2), NLE_PRODUCT_NAME_SIZE);
  EXPECT_EQ(nlemfireg(&primary_, facility_, 40, "NETWORK", 7, "TOOLONG", 6), NLE_FACILITY_NAME_SIZE);
  EXPECT_EQ(nlemfireg(&primary_, facility_, 40, "NETWORK", 7, "", 0), NLE_FACILITY_NAME_SIZE);
  EXPECT_EQ(Slots(primary_), "607/1/2 607/1/2 608/1/2 608/1/2 609/1/2 +") << "the sixth found the record full";
  EXPECT_EQ(nlemfsearch(facility_, 40), nullptr);
}

// Registered after the built-in files, which come newest first.
TEST_F(MessageFacilityTest, RegisteringAgainNeedsTheSameNames) {
  EXPECT_EQ(nlemfireg(&primary_, facility_, 1, "NETWORK", 7, "NL", 2), 0);
  EXPECT_EQ(nlemfireg(&primary_, facility_, 1, "NETWORK", 7, "NLT", 3), NLE_EMFI_REGISTERED);
  EXPECT_EQ(nlemfireg(&primary_, facility_, 1, "network", 7, "NL", 2), NLE_EMFI_REGISTERED);
  EXPECT_EQ(primary_.count, 2);

  EXPECT_EQ(nlemfireg(&primary_, facility_, 37, "NETWORK", 7, "NLT", 3), 0);
  EXPECT_EQ(nlemfireg(&primary_, facility_, 37, "NETWORK", 7, "NLT", 3), 0);
  EXPECT_EQ(nlemfsearch(facility_, 37), facility_->emfi_list) << "the newest comes first";
  EXPECT_EQ(facility_->emfi_list->next->number, 22) << "a repeated registration adds no record";
  EXPECT_EQ(nlemfireg(&primary_, nullptr, 37, "NETWORK", 7, "NLT", 3), NLE_NULL_CONTEXT);
  EXPECT_EQ(primary_.count, 3);
}

TEST_F(MessageFacilityTest, NamesOfAnEmfiAreCopiedWithoutTerminator) {
  char product[8] = "#######";
  char name[2];
  std::size_t product_length = 0;
  std::size_t name_length = 0;
  EXPECT_EQ(nlemgpf(&primary_, facility_, 22, product, 7, &product_length, name, 2, &name_length), 0);
  EXPECT_STREQ(product, "RDBMS##");
  EXPECT_EQ(product_length, 5u);
  EXPECT_EQ(std::string(name, 2), "KE") << "cut to the buffer";
  EXPECT_EQ(name_length, 2u);

  EXPECT_EQ(nlemgpf(&primary_, facility_, 22, nullptr, 8, nullptr, name, 2, nullptr), NLE_BAD_BUFFER_ARGUMENTS);
  EXPECT_EQ(nlemgpf(&primary_, facility_, 99, product, 8, nullptr, name, 2, nullptr), NLE_EMFI_NOT_REGISTERED);
  EXPECT_EQ(nlemgpf(&primary_, nullptr, 22, product, 8, nullptr, name, 2, nullptr), NLE_NULL_CONTEXT);
  EXPECT_EQ(primary_.count, 3);
}

TEST_F(MessageFacilityTest, DestroyEmptiesTheSlotAndRefusesNull) {
  EXPECT_EQ(nlemomf(facility_, nlemfsearch(facility_, 1)), 0) << "an open file is closed on destruction";
  EXPECT_EQ(nlemdestroy(&primary_, &facility_), 0);
  EXPECT_EQ(facility_, nullptr);
  EXPECT_EQ(nlemdestroy(&primary_, &facility_), NLE_NULL_CONTEXT);
  EXPECT_EQ(nlemdestroy(&primary_, nullptr), NLE_NULL_CONTEXT);
  EXPECT_EQ(Slots(primary_), "600/1/2 600/1/2");
}

// Startup failures are described by fixed texts in 60-byte slots: the count stored is what was
// copied from the slot, which for a roomy buffer is 59 whatever the text's own length.
class FailedStartup : public ::testing::Test {
 protected:
  void TearDown() override {
    kelnl::nls::language_hook::FailLanguageLookup(false);
    if (facility_ != nullptr) nlemdestroy(nullptr, &facility_);
  }
  std::int32_t StartWithoutLanguage(char* buffer, std::size_t size, std::size_t* length) {
    kelnl::nls::language_hook::FailLanguageLookup(true);
    if (facility_ != nullptr) nlemdestroy(nullptr, &facility_);
    return nleminz(&primary_, &facility_, 1, buffer, size, length);
  }
  NlPrimaryErrorRecord primary_{};
  NlMessageFacility* facility_ = nullptr;
};

TEST_F(FailedStartup, LanguageFailureWritesTheFixedTextAndKeepsTheFacility) {
  char buffer[100];
  std::memset(buffer, '#', sizeof buffer);
  std::size_t length = 0;
  EXPECT_EQ(StartWithoutLanguage(buffer, sizeof buffer, &length), NLE_LANGUAGE_FAILED);
  EXPECT_STREQ(buffer, "NL-00605: national language initialization failed\n");
  EXPECT_EQ(length, 59u);
  EXPECT_EQ(std::string(buffer + 58, 3), std::string("\0\0#", 3)) << "the rest of the slot is copied too";
  EXPECT_NE(facility_, nullptr);
  EXPECT_EQ(Slots(primary_), "605/1/4");
}

TEST_F(FailedStartup, SmallBuffersGetAsMuchOfTheTextAsFitsAndANullSlotIsRefused) {
  char buffer[16] = "unchanged";
  for (const auto& [size, text] : {std::pair<std::size_t, const char*>{10, "NL-00605:"}, {1, ""}, {0, ""}}) {
    std::size_t length = 77;
    EXPECT_EQ(StartWithoutLanguage(buffer, size, &length), NLE_LANGUAGE_FAILED);
    EXPECT_EQ(length, std::strlen(text)) << size;
    EXPECT_STREQ(buffer, text) << size;
  }
  std::size_t length = 77;
  EXPECT_EQ(StartWithoutLanguage(nullptr, 10, &length), NLE_LANGUAGE_FAILED);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(StartWithoutLanguage(buffer, 10, nullptr), NLE_LANGUAGE_FAILED);

  char roomy[64];
  primary_ = {};
  EXPECT_EQ(nleminz(&primary_, nullptr, 1, roomy, sizeof roomy, &length), NLE_NULL_CONTEXT);
  EXPECT_STREQ(roomy, "NL-00600: null context\n");
  EXPECT_EQ(length, 59u);
  EXPECT_EQ(primary_.errors[0].kind, 4);
}

TEST(MessageFacilityAllocation, StartupFailsCleanlyAtEveryAllocation) {
  NlMessageFacility* facility = nullptr;
  const long allocations = kelnl::testing::SweepAllocationFailures(
      [&] {
        char buffer[80];
        std::size_t length = 0;
        const std::int32_t code = nleminz(nullptr, &facility, 1, buffer, sizeof buffer, &length);
        if (kelnl::testing::AllocationFailed()) {
          EXPECT_EQ(code, NLE_NO_MEMORY);
          EXPECT_STREQ(buffer, "NL-00601: memory allocation failed\n");
        } else {
          EXPECT_EQ(code, 0);
        }
      },
      [&] {
        if (facility != nullptr) nlemdestroy(nullptr, &facility);
      });
  EXPECT_EQ(allocations, 4) << "the facility and three records";
}

TEST_F(MessageFacilityTest, RegistrationFailsCleanlyAtEveryAllocation) {
  const long allocations = kelnl::testing::SweepExpectingCode(
      [&] { return nlemfireg(nullptr, facility_, 37, "NETWORK", 7, "NLT", 3); }, NLE_NO_MEMORY,
      [&] {
        // Start over so that every attempt registers afresh with the same blocks live.
        nlemdestroy(nullptr, &facility_);
        ASSERT_EQ(nleminz(nullptr, &facility_, 1, nullptr, 0, nullptr), 0);
      });
  EXPECT_EQ(allocations, 1);
}

}  // namespace
