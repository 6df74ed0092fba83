// Per-thread global contexts of a server process, and threads starting and stopping contexts of
// their own at the same time, through the shared library.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "kelnl/kelnl.h"
#include "tests/context/startup_support.h"

namespace {

class ServerProcess : public ::testing::Test {
 protected:
  void SetUp() override { sscoreserverflag = 1; }
  void TearDown() override { sscoreserverflag = 0; }
};

TEST_F(ServerProcess, TheLoadingThreadHasARecordOnlyWherePosixMakesOneOnFirstUse) {
  NlGlobalContext* context = nullptr;
  snlstdini(&context);
#ifdef _WIN32
  // Windows delivers no thread attach to a thread that ran before the library was loaded.
  EXPECT_EQ(context, nullptr);
#else
  EXPECT_NE(context, nullptr);
#endif
}

// Each thread has a record of its own, empty until it starts a context there, and the same one
// each time it asks.
TEST_F(ServerProcess, EachThreadStartsItsOwnThreadSafeContext) {
  kelnl::testing::ProductHome home;
  home.Write("network/admin/brisol.kel", "port = 1521\n");
  constexpr int kThreads = 4;
  std::vector<NlGlobalContext*> started(kThreads, nullptr);
  std::atomic<int> failures{0};
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      NlGlobalContext* record = nullptr;
      snlstdini(&record);
      if (record == nullptr || record->reference_count != 0) failures.fetch_add(1);
      for (int round = 0; round < 20; ++round) {
        NlStartupParameters block = kelnl::testing::StartupBlock(NLSTD_READ_SYSTEM_FILE);
        block.thread_safe = 1;
        NlGlobalContext* context = nullptr;
        char error[512];
        if (nlstdgg(&context, &block, error, sizeof error, nullptr) != 0 || context != record ||
            context->thread_context == nullptr || context->parameters == nullptr) {
          failures.fetch_add(1);
          continue;
        }
        if (round == 0) {
          started[t] = context;
          // Every thread holds its first context until all have started one, so that no record is
          // reused meanwhile.
          ready.fetch_add(1);
          while (ready.load() < kThreads) std::this_thread::yield();
        }
        nlstdtrm(&context);
        if (context != nullptr) failures.fetch_add(1);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  for (int a = 0; a < kThreads; ++a) {
    for (int b = a + 1; b < kThreads; ++b) EXPECT_NE(started[a], started[b]);
  }
}

TEST(OrdinaryProcess, AllThreadsShareOneRecord) {
  NlGlobalContext* main_record = nullptr;
  snlstdini(&main_record);
  NlGlobalContext* thread_record = nullptr;
  std::thread([&] { snlstdini(&thread_record); }).join();
  EXPECT_EQ(main_record, thread_record);
}

}  // namespace
