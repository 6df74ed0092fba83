#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "platform/core/core.h"
#include "tests/support/test_files.h"

namespace {

TEST(CoreStrings, CompareIgnoringCaseAndCopyInLowerCase) {
  EXPECT_EQ(lstclo("Trace_Level", "TRACE_level"), 0);
  EXPECT_NE(lstclo("trace", "trace_level"), 0);
  EXPECT_LT(lstclo("abc", "ABD"), 0);
  EXPECT_EQ(lstmclo("ADDRESS_LIST", "address", 7), 0);
  EXPECT_NE(lstmclo("ADDR", "address", 7), 0);
  EXPECT_EQ(lstmclo("x", "y", 0), 0);
  char buffer[32];
  EXPECT_STREQ(lstlo(buffer, "Log_Directory_Client"), "log_directory_client");
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_STREQ(lstmlo(buffer, "NAMES.Default_Domain", 5), "names");
  EXPECT_STREQ(lstmlo(buffer, "AB", 10), "ab");
}

TEST(CoreEnvironment, CopiesWithoutTerminatorAndCutsAtTheBuffer) {
  kelnl::testing::ScopedEnvironment set("KELNL_TEST_VARIABLE", "/opt/home");
  kelnl::testing::ScopedEnvironment unset("KELNL_TEST_UNSET", nullptr);
  SlCoreError error{};
  char buffer[32];
  std::memset(buffer, '#', sizeof buffer);
  const char name[] = "KELNL_TEST_VARIABLE_TRAILING";
  ASSERT_EQ(slzgetevar(&error, name, 19, buffer, sizeof buffer, 0), 9);
  EXPECT_EQ(std::string(buffer, 10), "/opt/home#");
  EXPECT_EQ(slzgetevar(&error, "KELNL_TEST_VARIABLE", 19, buffer, 4, 0), 4);
  EXPECT_EQ(std::string(buffer, 4), "/opt");
  EXPECT_LT(slzgetevar(&error, "KELNL_TEST_UNSET", 16, buffer, sizeof buffer, 0), 0);
  EXPECT_NE(error.code, 0);
}

// Four threads count under a lock; a lost increment shows a lock that does not exclude.
template <typename Acquire, typename Release>
long CountUnderLock(int rounds, Acquire acquire, Release release) {
  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < rounds; ++i) {
        acquire();
        ++counter;
        release();
      }
    });
  }
  for (auto& thread : threads) thread.join();
  return counter;
}

TEST(CoreThreadServices, MutexAndInitialisationLockExclude) {
  void* handle = sltsini();
  ASSERT_NE(handle, nullptr);
  alignas(void*) unsigned char mutex[64];
  ASSERT_EQ(sltsmxi(handle, mutex), 0);
  EXPECT_EQ(CountUnderLock(10000, [&] { sltsmna(handle, mutex); }, [&] { sltsmnr(handle, mutex); }), 40000);
  EXPECT_NE(sltsmna(nullptr, mutex), 0);
  EXPECT_NE(sltsmna(handle, nullptr), 0);
  EXPECT_EQ(sltsmxd(handle, mutex), 0);
  sltster(handle);

  static SltsInitLock lock;
  EXPECT_EQ(CountUnderLock(2000, [] { sltsima(&lock); }, [] { sltsimr(&lock); }), 8000);
}

}  // namespace
