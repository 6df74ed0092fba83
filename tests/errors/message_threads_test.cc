// Several threads looking up messages of one message file at once.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "kelnl/nlem.h"
#include "tests/errors/message_test_support.h"

namespace {

using kelnl::testing::MessageFacilityTest;

constexpr int kThreads = 6;
constexpr int kLookups = 300;
constexpr int kMessages = 12;

std::string Expected(int n) { return "NL-" + std::string(5 - std::to_string(n).size(), '0') + std::to_string(n) + ": text " + std::to_string(n); }

class ConcurrentLookups : public MessageFacilityTest {
 protected:
  void SetUp() override {
    std::string file;
    for (int n = 1; n <= kMessages; ++n) file += std::to_string(n) + ", 0, \"text " + std::to_string(n) + "\"\n";
    UseOwnMessages(file);
    MessageFacilityTest::SetUp();
  }

  std::string Lookup(int n) {
    char buffer[64];
    std::size_t length = 0;
    if (nlemgmz(nullptr, facility_, 1, static_cast<std::uint32_t>(n), 2, 0, 0, 1, buffer, sizeof buffer, &length) != 0) {
      return "<failed>";
    }
    return std::string(buffer, length);
  }
};

TEST_F(ConcurrentLookups, EveryThreadGetsTheRightTexts) {
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLookups; ++i) {
        const int n = 1 + (i * 7 + t) % kMessages;
        if (Lookup(n) != Expected(n)) ++wrong;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST_F(ConcurrentLookups, ClosingWhileOthersLookUpIsSafe) {
  NlEmfi* record = nlemfsearch(facility_, 1);
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::thread closer([&] {
    while (!stop.load()) {
      nlemcmf(facility_, record);
      std::this_thread::yield();
    }
  });
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLookups; ++i) {
        const int n = 1 + (i + t) % kMessages;
        // A close between opening and reading gives the fallback text, never a wrong message.
        const std::string text = Lookup(n);
        if (text != Expected(n) && text.find("message " + std::to_string(n) + ":") == std::string::npos) ++wrong;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  stop = true;
  closer.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(Lookup(3), Expected(3));
}

}  // namespace
