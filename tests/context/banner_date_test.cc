// The banner line, the date text and the messages written to a context's log.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

#include "kelnl/nlba.h"
#include "kelnl/kelerrors.h"
#include "kelnl/nlda.h"
#include "kelnl/nlds.h"
#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "platform/core/dates.h"
#include "platform/os/os.h"
#include "tests/diagnostics/stream_test_support.h"
#include "tests/errors/message_test_support.h"
#include "tests/errors/recovery_frames.h"
#include "tests/support/alloc_sweep.h"

namespace {

const std::string kDatePattern = "[0-3][0-9]-(JAN|FEB|MAR|APR|MAY|JUN|JUL|AUG|SEP|OCT|NOV|DEC)-[0-9]{4} "
                                 "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]";

std::string VersionLine(const std::string& product, uint32_t status, std::size_t size = 256) {
  std::string buffer(size, '#');
  std::size_t length = 999;
  nlbamsg(product.data(), product.size(), 0x08100400, status, buffer.data(), size, &length);
  return length == 0 ? buffer : buffer.substr(0, length);
}

TEST(Banner, VersionLineFieldsStatusWordsAndRoomLeft) {
  const std::string platform = kelnl::os::PlatformName();
  // Statuses past the last word take the last word; the words are a table the banner test spots.
  EXPECT_EQ(VersionLine("kelnl", 9), "kelnl for " + platform + ": Version 8.1.0.4.0 - SDK2");
  // The product name must leave sixty characters of the buffer.
  EXPECT_EQ(VersionLine(std::string(196, 'p'), 0), std::string(256, '#')) << "buffer left as it was";
  EXPECT_EQ(VersionLine(std::string(195, 'p'), 0).substr(195, 5), " for ");
}

class ContextFacilities : public kelnl::testing::MessageFacilityTest {
 protected:
  void SetUp() override {
    MessageFacilityTest::SetUp();
    ASSERT_EQ(nlerinit(nullptr, &context_.error_stack, facility_, nullptr), 0);
    context_.message_facility = facility_;
    context_.primary_errors = &startup_errors_;
  }
  void TearDown() override {
    kelnl::dates::hook::FailClock(false);
    nldatrm(&context_);
    if (context_.log_stream != nullptr) kelnl::testing::Destroy(context_.log_stream);
    nlerdestroy(nullptr, &context_.error_stack);
    MessageFacilityTest::TearDown();
  }
  NlErrorStack* stack() { return context_.error_stack; }
  std::string ChainText() {
    char text[1024];
    nlerbem(stack(), 1, text, sizeof text, nullptr);
    return text;
  }
  void OpenLog() {
    log_path_ = home_.File("log.txt");
    context_.log_stream = kelnl::testing::NewFileStream(log_path_);
  }

  NlGlobalContext context_{};
  NlPrimaryErrorRecord startup_errors_{};
  std::string log_path_;
};

TEST_F(ContextFacilities, DateTextStartsTheFacilityOnFirstUseAndSignalsItsErrors) {
  ASSERT_EQ(context_.date_facility, nullptr);
  char text[NL_DATE_BUFFER_SIZE];
  std::size_t length = 0;
  ASSERT_EQ(nldatxt(&context_, text, sizeof text, &length), 0);
  EXPECT_NE(context_.date_facility, nullptr);
  EXPECT_EQ(length, 20u);
  EXPECT_TRUE(std::regex_match(std::string(text), std::regex(kDatePattern))) << text;
  EXPECT_EQ(stack()->depth, 0);

  // Errors are signalled as facility 22 and caught.
  std::strcpy(text, "untouched");
  EXPECT_EQ(nldatxt(&context_, text, NL_DATE_BUFFER_SIZE - 1, nullptr), KELE_DATE_BUFFER_TOO_SMALL);
  EXPECT_STREQ(text, "untouched");
  EXPECT_EQ(stack()->recovery_chain, nullptr);
  EXPECT_EQ(nlergmfi(stack(), 1), 22u);
  EXPECT_EQ(stack()->entries[0].kind, NL_ERROR_KIND_SIGNALLED);

  kelnl::dates::hook::FailClock(true);
  EXPECT_EQ(nldatxt(&context_, text, 23, nullptr), KELE_DATE_CLOCK_UNAVAILABLE);
  EXPECT_EQ(ChainText(), "KEL-00106: current date unavailable\n KEL-00104: buffer too small for the date text\n");

  NlGlobalContext without_stack{};
  EXPECT_EQ(nldatxt(&without_stack, text, 23, nullptr), 1);
}

TEST_F(ContextFacilities, DateFacilityOutOfMemory) {
  kelnl::testing::SweepExpectingCode([&] { return nldaini(&context_); }, NLE_DATE_NO_MEMORY,
                                     [&] { nldatrm(&context_); });
  EXPECT_EQ(nlergoc(stack(), 1), static_cast<uint32_t>(NLE_DATE_NO_MEMORY));
}

TEST_F(ContextFacilities, BannerWithDateAndNotice) {
  OpenLog();
  NlPrimaryErrorRecord errors{};
  ASSERT_EQ(nlban2(&context_, &errors, context_.log_stream, "kelnl", 5, 0x08000000, 0, "2026", 4), 0);
  // A year text of 38 characters or more leaves the notice out.
  ASSERT_EQ(nlban2(&context_, &errors, context_.log_stream, "kelnl", 5, 0x08000000, 0,
                   std::string(38, '9').c_str(), 38), 0);
  const std::string line = "\nkelnl for " + std::string(kelnl::os::PlatformName()) +
                           ": Version 8.0.0.0.0 - Production on " + kDatePattern;
  const std::string notice = "\n\nCopyright \\(c\\) 2026, the kelnl developers. All rights reserved.\n\n";
  EXPECT_TRUE(std::regex_match(home_.ReadText("log.txt"), std::regex(line + notice + line)))
      << home_.ReadText("log.txt");
}

TEST_F(ContextFacilities, ShowWritesDatedMessagesToTheLog) {
  OpenLog();
  EXPECT_EQ(nlershow(&context_, 1, 0, NL_SHOW_DATE | NL_SHOW_END_LINE, NLE_PARAMETER_FILE_ERROR, "brisol.kel"), 0);
  EXPECT_EQ(nlershow(&context_, 1, 2, NL_SHOW_NO_PREFIX | NL_SHOW_NEWLINE, NLM_TRACE_LEVEL, 16), 0);
  EXPECT_TRUE(std::regex_match(home_.ReadText("log.txt"),
                               std::regex(kDatePattern + ": NL-00462: error in parameter file brisol.kel\n"
                                          "  .*16.*\n")))
      << home_.ReadText("log.txt");

  // The record mode formats the message alone into the startup record's buffer.
  char text[64];
  startup_errors_.text = text;
  startup_errors_.text_length = sizeof text;
  EXPECT_EQ(nlershow(&context_, 1, NL_SHOW_TO_RECORD, NL_SHOW_DATE, NLE_PARAMETER_FILE_ERROR, "x.kel"), 0);
  EXPECT_EQ(std::string(text, startup_errors_.text_length), "NL-00462: error in parameter file x.kel");
}

TEST_F(ContextFacilities, ShowWithoutALogSignals700) {
  const int delivered = RunInFrame(stack(), [](NlErrorStack*, void* context) {
    nlershow(static_cast<NlGlobalContext*>(context), 1, 0, 0, NLE_PARAMETER_FILE_ERROR, "x");
  }, &context_);
  EXPECT_EQ(delivered, NLE_SHOW_NO_LOG);
  EXPECT_EQ(nlergoc(stack(), 1), static_cast<uint32_t>(NLE_SHOW_NO_LOG));
  EXPECT_EQ(nlershow(&context_, 1, 0, 0, NLE_PARAMETER_FILE_ERROR, "x"), NLE_SHOW_NO_LOG)
      << "without a frame the signal returns";
}

}  // namespace
