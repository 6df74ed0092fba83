// Records and dumps from several threads on one thread-safe context whose trace cycles through a
// ring of small files.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <map>
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

  // A trace at level 16 on a ring of `count` files of `kilobytes` each, set up as the startup
  // opening sets up a ring.
  NlTraceContext* RingTrace(std::size_t count, std::int32_t kilobytes) {
    NlTraceContext* trace = Trace("level = 16\n", "ring1.trc");
    if (trace == nullptr) return nullptr;
    trace->file_length = kilobytes;
    trace->file_count = static_cast<std::int32_t>(count);
    ring_.push_back(trace->stream);
    for (std::size_t i = 2; i <= count; ++i) ring_.push_back(FileStream("ring" + std::to_string(i) + ".trc"));
    for (std::size_t i = 0; i < count; ++i) {
      ring_[i]->next = ring_[(i + 1) % count];
      ring_[i]->trace = trace;
      ring_[i]->sequence = 1;
      ring_[i]->state |= NLDS_STATE_CYCLING;
    }
    return trace;
  }

  // The lines of ring file i. The tests stop before the ring comes round to a file again, so no
  // file holds what is left of an older cycle.
  std::vector<std::string> RingLines(std::size_t i) const { return Lines("ring" + std::to_string(i + 1) + ".trc"); }

  std::vector<NlDiagStream*> ring_;
};

TEST_F(TraceRingOfThreads, EveryLineIsWholeAndNoRecordIsLostBetweenSwitches) {
  constexpr int kThreads = 8;
  constexpr int kRecords = 150;
  // Sized so that the trace fills the third file without coming round to the first again: every
  // record written must then be found, whatever file it went to.
  NlTraceContext* trace = RingTrace(3, 24);
  ASSERT_NE(trace, nullptr);
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

  const std::regex record(R"(\(\d+\) \[(\d{6})\] nsc: record t=(\d) n=(\d+))");
  const std::regex dump_line(R"(\(\d+\) \[(\d{6})\] (70 61 63 6B 65 74 00 00  \|packet\.\.\||(00 ){8} \|\.{8}\|))");
  // The files in cycle order; every record of each thread must follow its previous one.
  std::map<int, std::vector<std::string>> by_cycle;
  for (std::size_t i = 0; i < ring_.size(); ++i) {
    const std::vector<std::string> lines = RingLines(i);
    int cycle = -1;
    for (const std::string& line : lines) {
      std::smatch match;
      ASSERT_TRUE(std::regex_match(line, match, record) || std::regex_match(line, match, dump_line))
          << "a broken line in file " << i + 1 << ": " << line;
      const int sequence = std::stoi(match[1]);
      if (cycle == -1) cycle = sequence;
      EXPECT_EQ(sequence, cycle) << "one cycle per file";
    }
    if (cycle != -1) by_cycle[cycle] = lines;
  }
  ASSERT_EQ(by_cycle.size(), ring_.size());
  EXPECT_EQ(by_cycle.begin()->first, 1);
  EXPECT_EQ(by_cycle.rbegin()->first, 3) << "the trace reached the third file";
  std::array<int, kThreads> last{};
  last.fill(-1);
  for (const auto& [cycle, lines] : by_cycle) {
    for (const std::string& line : lines) {
      std::smatch match;
      if (!std::regex_match(line, match, record)) continue;
      const int t = std::stoi(match[2]);
      const int n = std::stoi(match[3]);
      EXPECT_EQ(n, last[t] + 1) << "thread " << t << " lost a record in cycle " << cycle;
      last[t] = n;
    }
  }
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(last[t], kRecords - 1) << "thread " << t;
}

TEST_F(TraceRingOfThreads, ThreadIdCycleNumberAndTimeStampLeadEachLine) {
  NlTraceContext* trace = RingTrace(2, 1);
  ASSERT_NE(trace, nullptr);
  trace->flags |= NLDT_FLAG_TIME_STAMPS;
  const std::string text(100, 'x');
  for (int i = 0; i < 8; ++i) ASSERT_EQ(nldtr2(nullptr, trace, "nsc", 4, 1, 0, 0, "%s\n", text.c_str()), 0);
  const unsigned char bytes[] = {1, 2, 3};
  ASSERT_EQ(nldtr3(nullptr, trace, "nsc", 4, 1, 0, 0, 0, bytes, sizeof bytes), 0);
  const std::string date = R"(\d\d-[A-Z]{3}-\d{4} \d\d:\d\d:\d\d)";
  const std::vector<std::string> first = RingLines(0);
  const std::vector<std::string> second = RingLines(1);
  ASSERT_FALSE(first.empty());
  ASSERT_EQ(second.size(), 4u) << "the ring moved on once the first file was within 400 bytes of 1 kilobyte";
  EXPECT_TRUE(std::regex_match(first[0], std::regex(R"(\(\d+\) \[000001 )" + date + "\\] nsc: " + text))) << first[0];
  EXPECT_TRUE(std::regex_match(second[0], std::regex(R"(\(\d+\) \[000002 )" + date + "\\] nsc: " + text)))
      << second[0];
  EXPECT_TRUE(std::regex_match(second[3], std::regex(R"(\(\d+\) \[000002 )" + date +
                                                     R"(\] nsc: 01 02 03 00 00 00 00 00  \|\.{8}\|)")))
      << second[3];
}

}  // namespace
}  // namespace kelnl::testing
