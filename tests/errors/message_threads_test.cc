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
  // Each thread looks up messages in its own order; returns the number of unacceptable texts.
  int LookUpOnThreads(int stride, bool (*acceptable)(int n, const std::string& text)) {
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        for (int i = 0; i < kLookups; ++i) {
          const int n = 1 + (i * stride + t) % kMessages;
          if (!acceptable(n, Lookup(n))) ++wrong;
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
    return wrong.load();
  }
};

TEST_F(ConcurrentLookups, EveryThreadGetsTheRightTextsAndClosingWhileOthersLookUpIsSafe) {
  EXPECT_EQ(LookUpOnThreads(7, [](int n, const std::string& text) { return text == Expected(n); }), 0);

  NlEmfi* record = nlemfsearch(facility_, 1);
  std::atomic<bool> stop{false};
  std::thread closer([&] {
    while (!stop.load()) {
      nlemcmf(facility_, record);
      std::this_thread::yield();
    }
  });
  // A close between opening and reading gives the fallback text, never a wrong message.
  const int wrong = LookUpOnThreads(1, [](int n, const std::string& text) {
    return text == Expected(n) || text.find("message " + std::to_string(n) + ":") != std::string::npos;
  });
  stop = true;
  closer.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(Lookup(3), Expected(3));
}

}  // namespace
