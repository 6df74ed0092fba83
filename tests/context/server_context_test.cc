// Per-thread global contexts of a server process, through the shared library.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "kelnl/kelnl.h"

namespace {

class ServerProcess : public ::testing::Test {
 protected:
  void SetUp() override { sscoreserverflag = 1; }
  void TearDown() override { sscoreserverflag = 0; }
};

TEST_F(ServerProcess, EachThreadHasItsOwnZeroedRecord) {
  constexpr int kThreads = 4;
  std::vector<NlGlobalContext*> records(kThreads, nullptr);
  std::vector<std::thread> threads;
  std::atomic<int> ready{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      NlGlobalContext* again = nullptr;
      snlstdini(&records[t]);
      snlstdini(&again);
      ASSERT_NE(records[t], nullptr);
      EXPECT_EQ(again, records[t]) << "a thread gets the same record each time";
      EXPECT_EQ(records[t]->reference_count, 0);
      // Keep every thread alive until all have looked, so no record is reused meanwhile.
      ready.fetch_add(1);
      while (ready.load() < kThreads) std::this_thread::yield();
    });
  }
  for (auto& thread : threads) thread.join();
  for (int a = 0; a < kThreads; ++a) {
    for (int b = a + 1; b < kThreads; ++b) EXPECT_NE(records[a], records[b]);
  }
}

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

TEST(OrdinaryProcess, AllThreadsShareOneRecord) {
  NlGlobalContext* main_record = nullptr;
  snlstdini(&main_record);
  NlGlobalContext* thread_record = nullptr;
  std::thread([&] { snlstdini(&thread_record); }).join();
  EXPECT_EQ(main_record, thread_record);
}

}  // namespace
