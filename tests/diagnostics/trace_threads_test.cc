// Records and dumps from several threads on one thread-safe context whose trace cycles through a
// ring of small files.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tests/diagnostics/trace_test_support.h"

namespace kelnl::testing {
namespace {

class TraceRingOfThreads : public TraceTest {
 protected:
  void SetUp() override { StartContext(/*thread_safe=*/true); }

  // The lines of ring file i. The tests stop before the ring comes round to a file again, so no
  // file holds what is left of an older cycle.
  std::vector<std::string> RingLines(std::size_t i) const { return Lines("ring" + std::to_string(i + 1) + ".trc"); }
};

TEST_F(TraceRingOfThreads, EveryLineIsWholeAndNoRecordIsLostBetweenSwitches) {
  constexpr int kThreads = 8;
  constexpr int kRecords = 150;
  // Sized so that the trace fills the third file without coming round to the first again: every
  // record written must then be found, whatever file it went to.
  NlTraceContext* trace = RingTrace(3, 32);
  ASSERT_NE(trace, nullptr);
  trace->flags |= NLDT_FLAG_TIME_STAMPS;
  std::vector<std::thread> threads;
  std::atomic<int> ready{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([trace, t, &ready] {
      ready.fetch_add(1);
      while (ready.load() < kThreads) std::this_thread::yield();
      const unsigned char packet[20] = {'p', 'a', 'c', 'k', 'e', 't'};
      for (int n = 0; n < kRecords; ++n) {
        EXPECT_EQ(nldtr2(nullptr, trace, "nsc", 4, 1, 0, 0, "record t=%d n=%d\n", t, n), 0);
        if (n % 20 == 0) {
          EXPECT_EQ(nldtr3(nullptr, trace, nullptr, 4, 1, 0, 0, 0, packet, sizeof packet), 0);
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  // Thread identifier, then cycle number and time stamp in one bracket.
  const std::string prefix = R"(\(\d+\) \[(\d{6}) \d\d-[A-Z]{3}-\d{4} \d\d:\d\d:\d\d\] )";
  const std::regex record(prefix + R"(nsc: record t=(\d) n=(\d+))");
  const std::regex dump_line(prefix + R"((70 61 63 6B 65 74 00 00  \|packet\.\.\||(00 ){8} \|\.{8}\|))");
  // Every record of each thread must follow its previous one, file after file.
  std::array<int, kThreads> last{};
  last.fill(-1);
  for (std::size_t i = 0; i < ring_.size(); ++i) {
    for (const std::string& line : RingLines(i)) {
      std::smatch match;
      const bool is_record = std::regex_match(line, match, record);
      ASSERT_TRUE(is_record || std::regex_match(line, match, dump_line))
          << "a broken line in file " << i + 1 << ": " << line;
      EXPECT_EQ(std::stoul(match[1]), i + 1) << "file " << i + 1 << " holds its own cycle only";
      if (!is_record) continue;
      const int t = std::stoi(match[2]);
      const int n = std::stoi(match[3]);
      EXPECT_EQ(n, last[t] + 1) << "thread " << t << " lost a record in file " << i + 1;
      last[t] = n;
    }
  }
  EXPECT_FALSE(RingLines(2).empty()) << "the trace reached the third file";
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(last[t], kRecords - 1) << "thread " << t;
}

}  // namespace
}  // namespace kelnl::testing
