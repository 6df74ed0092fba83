// Identifiers created on several threads at once.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <thread>
#include <vector>

#include "kelnl/nlui.h"

namespace {

using Id = std::array<uint8_t, NLUI_ID_BYTES>;

TEST(UniqueIdThreads, ThreadsCreateDistinctIdentifiers) {
  constexpr int kThreads = 4;
  constexpr int kEach = 500;
  std::vector<std::vector<Id>> made(kThreads, std::vector<Id>(kEach));
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&made, t] {
      for (Id& id : made[t]) EXPECT_EQ(nluicrt(nullptr, id.data()), NLUI_STATUS_OK);
    });
  }
  for (auto& thread : threads) thread.join();
  std::set<Id> seen;
  for (const auto& ids : made) seen.insert(ids.begin(), ids.end());
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kEach));
}

}  // namespace
