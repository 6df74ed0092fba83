// Threads of a server process start and stop contexts of their own at the same time.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "kelnl/kelnl.h"
#include "tests/context/startup_support.h"

namespace kelnl::testing {
namespace {

TEST(ServerStartup, EachThreadStartsItsOwnThreadSafeContext) {
  ProductHome home;
  home.Write("network/admin/brisol.kel", "port = 1521\nnames = (a, b, c)\n");
  sscoreserverflag = 1;
  constexpr int kThreads = 4;
  std::vector<NlGlobalContext*> started(kThreads, nullptr);
  std::atomic<int> failures{0};
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round) {
        NlStartupParameters block = StartupBlock(NLSTD_READ_SYSTEM_FILE);
        block.thread_safe = 1;
        NlGlobalContext* context = nullptr;
        char error[512];
        if (nlstdgg(&context, &block, error, sizeof error, nullptr) != 0 || context == nullptr ||
            context->thread_context == nullptr || context->parameters == nullptr) {
          failures.fetch_add(1);
          continue;
        }
        std::uint32_t count = 0;
        if (nlpagvc(nullptr, context->parameters, "names", 5, &count) != 0 || count != 3) failures.fetch_add(1);
        if (round == 0) {
          started[t] = context;
          // Every thread holds its first context until all have started one.
          ready.fetch_add(1);
          while (ready.load() < kThreads) std::this_thread::yield();
        }
        nlstdtrm(&context);
        if (context != nullptr) failures.fetch_add(1);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  sscoreserverflag = 0;
  EXPECT_EQ(failures.load(), 0);
  for (int a = 0; a < kThreads; ++a) {
    for (int b = a + 1; b < kThreads; ++b) EXPECT_NE(started[a], started[b]);
  }
}

}  // namespace
}  // namespace kelnl::testing
