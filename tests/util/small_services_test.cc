#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <utility>

#include "kelnl/kelnl.h"
#include "kelnl/snlpc.h"
#include "platform/core/core.h"
#include "platform/os/os.h"
#include "tests/support/test_files.h"

namespace {

TEST(Sleep, RoundsToTheNearestMillisecondAndReportsIt) {
  NlOsErrorRecord err{1, 2, 3};
  for (const auto& [asked, slept] : {std::pair<uint32_t, uint32_t>{1499, 1000}, {1500, 2000}, {0, 0}}) {
    uint32_t reported = 77;
    EXPECT_EQ(snlpcsu_sleep_usecs(&err, asked, &reported), 0);
    EXPECT_EQ(reported, slept) << asked;
    EXPECT_EQ(err.operation, 0u) << "the record is cleared on entry";
  }
  EXPECT_EQ(snlpcsu_sleep_usecs(nullptr, 499, nullptr), 0);
}

TEST(ProcessIds, ProcessIsSharedAndThreadsDiffer) {
  uint32_t pid = 0, tid = 0, other_pid = 0, other_tid = 0;
  ASSERT_EQ(snlpcgpid(nullptr, &pid), 0);
  ASSERT_EQ(snlpcgtid(nullptr, &tid), 0);
  std::thread([&] {
    snlpcgpid(nullptr, &other_pid);
    snlpcgtid(nullptr, &other_tid);
  }).join();
  EXPECT_NE(pid, 0u);
  EXPECT_EQ(pid, other_pid);
  EXPECT_NE(tid, other_tid);
}

TEST(HostNames, LocalNameFitsOrFailsLocalhostResolvesAndUnknownNamesReportAnError) {
  char name[256];
  ASSERT_EQ(snlgfqh(name, sizeof name), 0);
  EXPECT_GT(std::strlen(name), 0u);
  EXPECT_EQ(snlgfqh(name, 0), -1);
  char tiny[1];
  EXPECT_EQ(snlgfqh(tiny, sizeof tiny), -1) << "a name that does not fit is a failure";

  NlHostRecord record{};
  int32_t error = 0;
  void* entry = snlpcgthstbynm(nullptr, "localhost", &record, nullptr, nullptr, &error);
  ASSERT_NE(entry, nullptr) << "lookup error " << error;
  EXPECT_NE(record.name, nullptr);
  ASSERT_NE(record.addresses, nullptr);
  ASSERT_NE(record.addresses[0], nullptr);

  // The entry found by name is found again by its address.
  NlHostRecord by_address{};
  EXPECT_NE(snlpcgthstbyad(nullptr, record.addresses[0], record.address_length, record.address_type,
                           &by_address, nullptr, nullptr, &error),
            nullptr);

  error = 0;
  EXPECT_EQ(snlpcgthstbynm(nullptr, "no-such-host.invalid", &record, nullptr, nullptr, &error), nullptr);
  EXPECT_NE(error, 0);
  EXPECT_EQ(snlpcgthstent(), 0);
  EXPECT_EQ(snlpcgtsrvent(), 0);
}

TEST(ServiceNames, ByNameAndByPortAgree) {
  NlServiceRecord record{};
  void* entry = snlpcgtsrvbynm(nullptr, "ftp", "tcp", &record);
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(record.name, "ftp");
  EXPECT_STREQ(record.protocol, "tcp");
  const uint16_t port = static_cast<uint16_t>(record.port);
  EXPECT_EQ((port >> 8) | ((port & 0xFF) << 8), 21) << "network byte order";
  NlServiceRecord by_port{};
  ASSERT_NE(snlpcgtsrvbypt(nullptr, record.port, "tcp", &by_port), nullptr);
  EXPECT_STREQ(by_port.name, "ftp");
  EXPECT_EQ(snlpcgtsrvbynm(nullptr, "no-such-service", "tcp", &record), nullptr);
}

TEST(UserName, TheProcessOwnersLoginName) {
  char name[64];
  int32_t length = sizeof name;
  ASSERT_GT(snlpcgun(nullptr, nullptr, nullptr, name, &length), 0);
  EXPECT_EQ(std::memchr(name, '\0', static_cast<size_t>(length)), nullptr);
  int32_t too_small = 0;
  EXPECT_LT(snlpcgun(nullptr, nullptr, nullptr, name, &too_small), 0);
  EXPECT_LT(too_small, 0);
}

TEST(LibraryPath, HomeBinNameAndSuffixWithTheirLimitsOrTheBareName) {
  kelnl::testing::ScopedEnvironment home("TARVO_HOME", "T");
#ifdef _WIN32
  const std::string expected = "T\\bin\\kelnl8.dll";
#else
  const std::string expected = "T/bin/kelnl8.so";
#endif
  char path[64];
  uint32_t length = 0;
  ASSERT_EQ(snldlgln("nl", path, sizeof path, &length, 0), 0);
  EXPECT_EQ(std::string(path), expected);
  EXPECT_EQ(length, expected.size());

  // Exactly the path's length leaves no room for the terminator.
  std::memset(path, '#', sizeof path);
  EXPECT_EQ(snldlgln("nl", path, static_cast<uint32_t>(expected.size()), &length, 0), -1);
  EXPECT_EQ(path[0], '#') << "nothing is written when the path does not fit";
  EXPECT_EQ(snldlgln("nl", path, static_cast<uint32_t>(expected.size() + 1), &length, 0), 0);

  // Leaving the home out builds the name an unset TARVO_HOME gives too.
  ASSERT_EQ(snldlgln("nl", path, sizeof path, &length, 1), 0);
  EXPECT_EQ(std::string(path), expected.substr(expected.find("kel")));
}

std::string Encode(const char* password, uint32_t capacity = 128) {
  char out[256];
  uint32_t length = capacity;
  if (lncupwe(&length, 16, password, out, "quillmoth", 3, 0) == 0) return "<refused>";
  EXPECT_EQ(length, std::strlen(out));
  return out;
}

TEST(PasswordEncoding, DeterministicHexOfWholeBlocks) {
  const std::string first = Encode("tiger");
  EXPECT_EQ(first.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_NE(first, Encode("tigers"));
  // The length byte and fifteen characters fill one 16-byte block exactly.
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
  length = 8;
  EXPECT_EQ(nlpspen(&context_, "secret", out, &length), NLE_PASSWORD_ENCODING_FAILED);
  EXPECT_EQ(nlergoc(context_.error_stack, 1), static_cast<uint32_t>(NLE_PASSWORD_ENCODING_FAILED));
}

}  // namespace
