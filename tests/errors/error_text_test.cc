// Error text: substituting arguments, operating-system error lines and the chain of entries.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "platform/os/os.h"
#include "tests/diagnostics/stream_test_support.h"
#include "tests/errors/message_test_support.h"

namespace {

std::string Substitute(const char* format, std::vector<std::string> args = {}, std::size_t size = 64) {
  std::vector<const char*> pointers;
  std::vector<std::size_t> lengths;
  for (const std::string& arg : args) {
    pointers.push_back(arg.data());
    lengths.push_back(arg.size());
  }
  std::string buffer(size, '#');
  const std::size_t written = nlersprintf(buffer.data(), size, format, static_cast<int32_t>(args.size()),
                                          pointers.data(), lengths.data());
  EXPECT_EQ(buffer[written], '\0');
  return buffer.substr(0, written);
}

TEST(Substitution, ArgumentsPercentAndBackslash) {
  EXPECT_EQ(Substitute("%s and %S", {"abc", "de"}), "abc and de");
  EXPECT_EQ(Substitute("%1!s before %0!S, then %s", {"abc", "de"}), "de before abc, then abc")
      << "numbered arguments do not move the sequence";
  EXPECT_EQ(Substitute("[%s][%s][%2!s]", {"only"}), "[only][][]") << "missing arguments print nothing";
  EXPECT_EQ(Substitute("100%% %d %1x %"), "100% %d %1x %");
  EXPECT_EQ(Substitute("a\\nb\\Tc\\q\\\\d\\"), "a\nb\tcq\\d\\");
  EXPECT_EQ(Substitute("x\\0y"), std::string("x\0y", 3));
}

TEST(Substitution, OutputIsCutAndTerminated) {
  EXPECT_EQ(Substitute("%s!", {"abcdef"}, 5), "abcd");
  char untouched = 'z';
  EXPECT_EQ(nlersprintf(&untouched, 0, "abc", 0, nullptr, nullptr), 0u);
  EXPECT_EQ(untouched, 'z');
}

std::string OsText(NlOsErrorRecord record, int depth, std::size_t size = 256) {
  std::string buffer(size + 1, '#');
  const std::size_t length = snlergem(&record, buffer.data(), size, depth);
  EXPECT_EQ(buffer[length], '\0');
  return buffer.substr(0, length);
}

TEST(OsErrorText, PlatformNumberTextAndAdditionalInformation) {
  const std::string platform = kelnl::os::PlatformName();
  const std::string system_text = std::strerror(ENOENT);
  EXPECT_EQ(OsText({16, ENOENT, 9}, 0), platform + " Error: 2: " + system_text + "\nAdditional information: 9");
  EXPECT_EQ(OsText({16, 0, 5}, 3), "Additional information: 5");
  EXPECT_EQ(OsText({16, 0, 0}, 3), "");
  // Cut to the size; the last character written is taken back for the terminator.
  EXPECT_EQ(OsText({16, 0, 5}, 0, 10), "Additiona");
}

class ErrorChain : public kelnl::testing::MessageFacilityTest {
 protected:
  void SetUp() override {
    MessageFacilityTest::SetUp();
    ASSERT_EQ(nlerinit(nullptr, &stack_, facility_, nullptr), 0);
  }
  void TearDown() override {
    nlerdestroy(nullptr, &stack_);
    MessageFacilityTest::TearDown();
  }
  std::string Chain(int32_t all, std::size_t size = 1024) {
    std::string buffer(size, '#');
    std::size_t length = 999;
    EXPECT_EQ(nlerbem(stack_, all, buffer.data(), size, &length), 0);
    EXPECT_EQ(length, std::strlen(buffer.c_str()));
    return buffer.c_str();
  }

  NlErrorStack* stack_ = nullptr;
};

TEST_F(ErrorChain, ThreeEntriesWithAnOperatingSystemEntryPrintIndented) {
  const NlOsErrorRecord os{16, ENOENT, 0};
  nlerrsc(stack_, 1, &os);
  nlerrec(stack_, 1, 405, 0);
  nlerrec(stack_, 1, 462, 1, NL_ERROR_ARG_TEXT, 10, "brisol.kel");
  const std::string expected = "NL-00462: error in parameter file brisol.kel\n"
                               " NL-00405: cannot find or open the parameter file\n"
                               "  " + std::string(kelnl::os::PlatformName()) + " Error: 2: " +
                               std::strerror(ENOENT) + "\n";
  EXPECT_EQ(Chain(1), expected);
  EXPECT_EQ(Chain(0), "NL-00462: error in parameter file brisol.kel\n");
}

TEST_F(ErrorChain, FormatterServesOneOperatingSystemEntry) {
  const NlOsErrorRecord os{16, ENOENT, 0};
  nlerrsc(stack_, 1, &os);
  nlerrsc(stack_, 1, &os);
  auto formatter = [](const NlOsErrorRecord* record, char* buffer, std::size_t room, int32_t depth) -> std::size_t {
    return static_cast<std::size_t>(std::snprintf(buffer, room + 1, "%d:own %u", depth, record->system_error));
  };
  EXPECT_EQ(nlersetsf(stack_, formatter), formatter);
  const std::string text = Chain(1);
  EXPECT_EQ(text.substr(0, 8), "0:own 2\n");
  EXPECT_NE(text.find(" Error: 2: ", 8), std::string::npos) << "the second entry had the built-in text";
  EXPECT_EQ(stack_->os_formatter, nullptr);
}

TEST_F(ErrorChain, SmallBuffersAndUnregisteredFacilities) {
  nlerrec(stack_, 1, 405, 0);
  EXPECT_EQ(Chain(1, 3), "") << "fewer than 3 characters of room";
  EXPECT_EQ(Chain(1, 4), "NL-");
  EXPECT_EQ(Chain(1, 11), "NL-00405: ");

  // A facility without a message file keeps its numbers and arguments in the chain.
  nlerrec(stack_, 200, 7, 1, NL_ERROR_ARG_TEXT, 1, "x");
  EXPECT_EQ(Chain(0), "facility 200 error 7 [x]\n");

  std::string buffer = "keep";
  EXPECT_EQ(nlerbem(nullptr, 1, buffer.data(), buffer.size(), nullptr), NLE_NO_ERROR_STACK);
  EXPECT_EQ(buffer[0], '\0');
}

TEST_F(ErrorChain, SignalWithoutAFramePrintsToThePrintStream) {
  const std::string path = home_.File("errors.txt");
  stack_->print_stream = kelnl::testing::NewFileStream(path);
  nlerrec(stack_, 1, 405, 0);
  nlersec(stack_, 1, 462, 1, NL_ERROR_ARG_TEXT, 1, "x");
  EXPECT_EQ(home_.ReadText("errors.txt"),
            "NL-00462: error in parameter file x\n NL-00405: cannot find or open the parameter file\n");
  kelnl::testing::Destroy(stack_->print_stream);
}

}  // namespace
