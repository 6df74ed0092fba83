// Formatting numbered messages: prefix, indent, fallback texts and primary records as text.
#include <gtest/gtest.h>

#include <string>

#include "kelnl/nlem.h"
#include "kelnl/nlerrors.h"
#include "tests/diagnostics/stream_test_support.h"
#include "tests/errors/message_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace {

using kelnl::testing::MessageFacilityTest;

// The forms of message-file lines are the message index's tests; these texts are plain.
constexpr char kOwnMessages[] = R"(// test messages
00405, 00000, "cannot find the file"
00462, 00000, "error in file %s"
)";

class MessageFormat : public MessageFacilityTest {
 protected:
  void SetUp() override {
    UseOwnMessages(kOwnMessages);
    MessageFacilityTest::SetUp();
  }
};

TEST_F(MessageFormat, PrefixNeedsRoomForItself) {
  // "NL" plus 8 characters and the terminator: 11 bytes take the prefix, 10 do not.
  EXPECT_EQ(Format(1, 462, 0, 0, 1, 11), "NL-00462: ");
  EXPECT_EQ(Format(1, 462, 0, 0, 1, 10), "error in ");
  EXPECT_EQ(Format(1, 462, 0, 4, 1, 4), "   ") << "an indent as wide as the buffer keeps the terminator";
  EXPECT_EQ(Format(1, 462, 0, 5, 0, 4), "err") << "a wider indent is not written";
  EXPECT_EQ(Format(1, 123456, 0, 0, 1, 64).substr(0, 11), "NL-123456: ") << "wide numbers widen the prefix";
}

TEST_F(MessageFormat, UnknownEmfiNullFacilityAndMissingMessage) {
  char buffer[16] = "#######";
  std::size_t length = 5;
  EXPECT_EQ(nlemgmz(&primary_, facility_, 99, 462, 2, 0, 0, 1, buffer, sizeof buffer, &length),
            NLE_EMFI_NOT_REGISTERED);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(nlemgmz(&primary_, nullptr, 1, 462, 2, 0, 0, 1, buffer, sizeof buffer, &length), NLE_NULL_CONTEXT);
  EXPECT_EQ(kelnl::testing::Slots(primary_), "600/1/2") << "an unknown emfi is not pushed";
  EXPECT_EQ(nlemgmz(&primary_, facility_, 1, 462, 2, 0, 0, 1, buffer, 0, &length), 0);

  // A message missing from an existing file names number, product and facility, without placeholders.
  EXPECT_EQ(Format(1, 999, 2), "NL-00999: NETWORK/NL message 999: no text in the message file");
}

TEST_F(MessageFacilityTest, MissingFileGivesFallbackWithArgumentPlaceholders) {
  UseHome(home_.path().string());  // a home without any message file
  EXPECT_EQ(Format(1, 462, 2), "NL-00462: NETWORK/NL message 462: message file not found\t   [%s] [%s]");
  const std::string many = Format(1, 462, 9);
  EXPECT_EQ(many.substr(many.find('\t')), "\t   [%s] [%s] [%s] [%s] [%s] [%s] [%s]") << "at most 7";
  EXPECT_EQ(Format(1, 462, 0).find('\t'), std::string::npos);
  EXPECT_EQ(Format(1, 462, 2, 0, 1, 40).size(), 39u) << "placeholders are cut at the buffer end";

  EXPECT_EQ(nlemomf(facility_, nlemfsearch(facility_, 1)), NLE_MESSAGE_FILE_OPEN_FAILED);
}

TEST_F(MessageFormat, ClosedFileIsReopenedWithNewTexts) {
  NlEmfi* record = nlemfsearch(facility_, 1);
  EXPECT_EQ(Format(1, 405), "NL-00405: cannot find the file");
  EXPECT_EQ(nlemcmf(facility_, record), 0);
  home_.Write("network/mesg/nlus.msg", "00405, 00000, \"rewritten\"\n");
  EXPECT_EQ(Format(1, 405), "NL-00405: rewritten");
}

TEST_F(MessageFacilityTest, CachedAndLongTextsStayCorrect) {
  // More short messages than the cache has slots, and one text too long to be cached.
  std::string file;
  for (int n = 1; n <= 20; ++n) file += std::to_string(n) + ", 0, \"short " + std::to_string(n) + "\"\n";
  const std::string long_text(300, 'x');
  file += "500, 0, \"" + long_text + "\"\n";
  UseOwnMessages(file);
  for (int round = 0; round < 3; ++round) {
    for (int n = 1; n <= 20; ++n) EXPECT_EQ(Format(1, n, 0, 0, 0), "short " + std::to_string(n));
    EXPECT_EQ(Format(1, 500, 0, 0, 0), long_text);
    EXPECT_EQ(Format(1, 500, 0, 0, 0, 11), long_text.substr(0, 10));
  }
}

TEST_F(MessageFormat, LookupFailsCleanlyAtEveryAllocation) {
  NlEmfi* record = nlemfsearch(facility_, 1);
  kelnl::testing::SweepAllocationFailures(
      [&] {
        const std::string text = Format(1, 462);
        if (!kelnl::testing::AllocationFailed()) {
          EXPECT_EQ(text, "NL-00462: error in file %s");
        }
        EXPECT_EQ(text.substr(0, 10), "NL-00462: ");
      },
      [&] { nlemcmf(facility_, record); });
}

class PrimaryRecordText : public MessageFormat {
 protected:
  std::string Text(NlPrimaryErrorRecord* record, std::size_t size) {
    std::string buffer(size + 1, '#');
    std::size_t length = 999;
    EXPECT_EQ(nleme2t(record, facility_, buffer.data(), size, &length), 0);
    EXPECT_EQ(buffer[size], '#') << "nothing written past the buffer";
    EXPECT_EQ(length, std::char_traits<char>::length(buffer.c_str()));
    EXPECT_LT(length, size);
    return buffer.c_str();
  }
};

TEST_F(PrimaryRecordText, NewestFirstAndCutAtTheBufferEnd) {
  NlPrimaryErrorRecord record{};
  nlepepe(&record, 1, 405, 4);
  nlepepe(&record, 1, 462, 4);
  const std::string full = "NL-00462: error in file %s\nNL-00405: cannot find the file\n";
  EXPECT_EQ(Text(&record, full.size() + 1), full);
  EXPECT_EQ(record.count, 2) << "the record is left as it was";
  EXPECT_EQ(Text(&record, full.size()), full.substr(0, full.size() - 1)) << "the last line end gives way";
  // Room for the first line only: the second gets no room for its prefix and shows a bare text.
  EXPECT_EQ(Text(&record, 27 + 6), "NL-00462: error in file %s\ncanno");
  for (std::size_t size = 1; size <= full.size(); ++size) Text(&record, size);
}

TEST_F(PrimaryRecordText, EmptySlotsUnknownFacilitiesAndBadArguments) {
  NlPrimaryErrorRecord record{};
  record.count = 3;
  record.errors[0] = NlErrorSlot{405, 1, 4};
  record.errors[1] = NlErrorSlot{0, 0, 0};   // never filled: skipped
  record.errors[2] = NlErrorSlot{17, 99, 2};  // no such message file: skipped
  record.os_error = NlOsErrorRecord{16, 2, 0};
  EXPECT_EQ(Text(&record, 100), "NL-00405: cannot find the file\n");
  EXPECT_EQ(Text(nullptr, 100), "");

  char buffer[8];
  EXPECT_EQ(nleme2t(&record, facility_, nullptr, 10, nullptr), NLE_BAD_BUFFER_ARGUMENTS);
  EXPECT_EQ(nleme2t(&record, facility_, buffer, 0, nullptr), NLE_BAD_BUFFER_ARGUMENTS);
  EXPECT_EQ(nleme2t(&record, nullptr, buffer, sizeof buffer, nullptr), NLE_NULL_CONTEXT);
  EXPECT_EQ(kelnl::testing::Slots(record), "405/1/4 0/0/0 17/99/2 610/1/2 610/1/2 +");
}

}  // namespace
