#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "kelnl/nlht.h"
#include "params/hash_table.h"
#include "platform/core/allocator.h"

namespace {

// Every key lands in slot 0, so a run of collisions is easy to build.
uint32_t CollidingHash(const void*, uint32_t) { return 0; }

int32_t SameFirstByte(const void* a, uint32_t, const void* b, uint32_t) {
  return *static_cast<const char*>(a) == *static_cast<const char*>(b) ? 1 : 0;
}

// A few home slots for many keys: long collision runs, which growth and repair must rebuild.
uint32_t FewHomes(const void* key, uint32_t length) { return nlhthskey(key, length) % 7 * 16; }

class HashTable : public ::testing::Test {
 protected:
  void TearDown() override { nlhthfre(table_); }
  void Make(NlHashFunction hash = nlhthskey) { table_ = nlhthnew(hash, nlhthteq); }
  // The table keeps the key pointer: keys must outlive their entries (literals or keys_).
  void* Put(std::string_view key, void* value) {
    return nlhthput(table_, key.data(), static_cast<uint32_t>(key.size()), value);
  }
  void* Get(std::string_view key) { return nlhthget(table_, key.data(), static_cast<uint32_t>(key.size())); }
  void* Del(std::string_view key) { return nlhthdel(table_, key.data(), static_cast<uint32_t>(key.size())); }

  NlHashTable* table_ = nullptr;
  std::deque<std::string> keys_;  // a deque never moves its elements, so key bytes stay put
  int values_[1000] = {};
};

TEST(HashFunctions, DefaultHashAndEquality) {
  EXPECT_EQ(nlhthskey("abc", 3), 7091u);
  EXPECT_EQ(nlhthskey("", 0), 0u);
  EXPECT_EQ(nlhthteq("Abc", 3, "abc", 3), 0);
  EXPECT_EQ(nlhthteq("abc", 3, "abcd", 4), 0);
  EXPECT_EQ(nlhthteq("", 0, "x", 0), 1);
}

TEST_F(HashTable, DuplicatesAreKeptTheFirstOnTheProbePathWinsAndNullsAreRefused) {
  Make();
  EXPECT_EQ(Put("trace_level", &values_[1]), &values_[1]);
  EXPECT_EQ(Put("trace_level", &values_[2]), &values_[2]);
  EXPECT_EQ(Get("trace_level"), &values_[1]);
  EXPECT_EQ(Del("trace_level"), &values_[1]);
  EXPECT_EQ(Get("trace_level"), &values_[2]);
  EXPECT_EQ(nlhthput(nullptr, "k", 1, &values_[0]), nullptr);
  EXPECT_EQ(nlhthput(table_, nullptr, 0, &values_[0]), nullptr);
  EXPECT_EQ(nlhthget(table_, nullptr, 0), nullptr);
  EXPECT_EQ(nlhthdel(nullptr, "k", 1), nullptr);
  EXPECT_EQ(nlhthsize(nullptr), 0);
  nlhthfre(nullptr);
}

TEST_F(HashTable, DeletionMatchFunctionOnlyForDeletion) {
  table_ = nlhthnewWDup(nlhthskey, nlhthteq, SameFirstByte);
  Put("alpha", &values_[0]);
  EXPECT_EQ(Get("axe"), nullptr) << "lookups use the equality function";
  EXPECT_EQ(nlhthdel(table_, "a", 1), nullptr) << "different home slot, so not met";
  EXPECT_EQ(Del("alpha"), &values_[0]);
}

TEST_F(HashTable, IterationVisitsSlotsInOrderAndCannotTellANullValueFromTheEnd) {
  Make();
  Put("a", &values_[0]);  // hash 97
  Put("b", &values_[1]);  // hash 98
  EXPECT_EQ(Put("c", nullptr), nullptr) << "a null value is stored but reads as failure";
  EXPECT_EQ(nlhthsize(table_), 3);
  int32_t cursor = 0;
  EXPECT_EQ(nlhthseq(table_, &cursor), &values_[0]);
  EXPECT_EQ(nlhthseq(table_, &cursor), &values_[1]);
  EXPECT_EQ(nlhthseq(table_, &cursor), nullptr);
  EXPECT_EQ(nlhthseq(nullptr, &cursor), nullptr);
}

TEST_F(HashTable, FunctionsCanBeSwappedOnAnExistingTableAndGrowthUsesTheNewOnes) {
  Make(CollidingHash);
  Put("x", &values_[0]);
  kelnl::SetHashTableFunctions(table_, nlhthskey, nlhthteq);
  EXPECT_EQ(Get("x"), nullptr) << "the entry sits at the old home slot";
  kelnl::SetHashTableFunctions(table_, CollidingHash, nlhthteq);
  EXPECT_EQ(Get("x"), &values_[0]);

  // A growth after the swap places entries by the new function.
  for (int i = 0; i < 200; ++i) keys_.push_back("key" + std::to_string(i));
  for (int i = 0; i < 60; ++i) Put(keys_[i], &values_[i]);
  kelnl::SetHashTableFunctions(table_, nlhthskey, nlhthteq);
  for (int i = 60; i < 200; ++i) Put(keys_[i], &values_[i]);  // grows twice
  for (int i = 0; i < 200; ++i) EXPECT_EQ(Get(keys_[i]), &values_[i]) << keys_[i];
}

// Probing goes on at ((slot + 1) * 3) modulo the capacity, and growth places the entries again
// in the order of their old slots. A walk follows the slots, so its order shows both.
TEST_F(HashTable, ProbingAndGrowthPlaceEntriesInKnownSlots) {
  Make(CollidingHash);
  auto walk = [&](std::size_t count) {
    std::vector<long> order;
    int32_t cursor = 0;
    while (order.size() < count) {
      void* value = nlhthseq(table_, &cursor);
      if (value == nullptr) break;
      order.push_back(static_cast<long>(static_cast<int*>(value) - values_));
    }
    return order;
  };
  for (int i = 0; i < 64; ++i) keys_.push_back("k" + std::to_string(i));
  for (int i = 0; i < 8; ++i) Put(keys_[i], &values_[i]);  // slots 0, 3, 12, 39, 120, 107, 68, 79
  EXPECT_EQ(walk(8), (std::vector<long>{0, 1, 2, 3, 6, 7, 5, 4}));
  for (int i = 8; i < 64; ++i) Put(keys_[i], &values_[i]);
  ASSERT_EQ(table_->capacity, 256);
  EXPECT_EQ(walk(10), (std::vector<long>{0, 1, 34, 35, 37, 38, 7, 8, 42, 12}));
}

// Random insertions and deletions, checked against a plain multimap: every live entry is found,
// no deleted one is, the count is right and a walk visits exactly the live entries. Deletions
// leave tombstones, so the churn also drives rebuilds at the same capacity.
TEST_F(HashTable, RandomInsertionsAndDeletionsMatchAMultimap) {
  for (NlHashFunction hash : {CollidingHash, FewHomes, nlhthskey}) {
    Make(hash);
    keys_.clear();
    std::multimap<std::string, int*> model;
    std::mt19937 random(11);
    for (int step = 0; step < 4000; ++step) {
      const std::string key = "svc" + std::to_string(random() % (hash == CollidingHash ? 300 : 3000)) + ".timeout";
      if (random() % 5 < 3) {
        keys_.push_back(key);
        int* value = &values_[step % 1000];
        ASSERT_EQ(Put(keys_.back(), value), value);
        model.emplace(key, value);
      } else {
        void* removed = Del(key);
        auto [first, last] = model.equal_range(key);
        ASSERT_EQ(removed != nullptr, first != last) << key;
        for (auto it = first; removed != nullptr && it != last; ++it) {
          if (it->second == removed) {
            model.erase(it);
            break;
          }
        }
      }
    }
    ASSERT_EQ(nlhthsize(table_), static_cast<int32_t>(model.size()));
    for (auto& [key, value] : model) {
      void* found = Get(key);
      bool known = false;
      for (auto [first, last] = model.equal_range(key); first != last; ++first) known |= first->second == found;
      EXPECT_TRUE(known) << key;
    }
    std::size_t walked = 0;
    int32_t cursor = 0;
    while (nlhthseq(table_, &cursor) != nullptr) ++walked;
    EXPECT_EQ(walked, model.size());
    nlhthfre(table_);
    table_ = nullptr;
  }
}

// (A failed nlhthnew is swept wherever a parameter table is made.)
TEST_F(HashTable, SixtyFourthInsertionDoublesAndAFailedGrowthLeavesTheTableAsItWas) {
  Make();
  for (int i = 0; i < 64; ++i) keys_.push_back("p" + std::to_string(i));
  for (int i = 0; i < 63; ++i) Put(keys_[i], &values_[i]);
  kelnl::allocation_hook::FailNth(1);
  EXPECT_EQ(Put(keys_[63], &values_[63]), nullptr);
  kelnl::allocation_hook::Disarm();
  EXPECT_EQ(nlhthsize(table_), 63);
  EXPECT_EQ(table_->capacity, 128);
  EXPECT_EQ(Get(keys_[63]), nullptr);
  for (int i = 0; i < 63; ++i) EXPECT_EQ(Get(keys_[i]), &values_[i]);
  EXPECT_EQ(Put(keys_[63], &values_[63]), &values_[63]);
  EXPECT_EQ(table_->capacity, 256) << "the sixty-fourth insertion doubles";
  for (int i = 0; i < 64; ++i) EXPECT_EQ(Get(keys_[i]), &values_[i]) << keys_[i];
}

}  // namespace
