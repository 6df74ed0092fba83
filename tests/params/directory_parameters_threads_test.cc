// nlpagetldparam from several threads of one thread-safe context: the first use reads ldap.kel
// once, releases and reads race with each other only under the context mutex.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "context/context_lock.h"
#include "kelnl/nlpa.h"
#include "platform/core/core.h"
#include "tests/params/directory_test_support.h"

namespace kelnl::testing {
namespace {

class DirectoryParametersThreadsTest : public DirectoryHome {};

TEST_F(DirectoryParametersThreadsTest, GetsAndReleasesFromManyThreads) {
  WriteLdapParameters("homeid = home1\n");
  context_.thread_context = sltsini();
  CreateContextMutexes(&context_);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < 200; ++i) {
        if ((i + t) % 10 == 0) {
          EXPECT_EQ(nlpagetldparam(&context_, nullptr, 0, 0, nullptr, nullptr, 2), 0);
          continue;
        }
        // The value points into a table another thread may release: only its length is looked at.
        char* value = nullptr;
        uint32_t length = 0;
        EXPECT_EQ(nlpagetldparam(&context_, "homeid", 6, 1, &value, &length, 1), 0);
        EXPECT_EQ(length, 5u);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  nlpagetldparam(&context_, nullptr, 0, 0, nullptr, nullptr, 2);
  DestroyContextMutexes(&context_);
  sltster(context_.thread_context);
  context_.thread_context = nullptr;
}

}  // namespace
}  // namespace kelnl::testing
