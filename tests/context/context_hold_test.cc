// Holds on the process record, the mutexes a thread-safe one makes, and the data representation
// descriptor built on it.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <mutex>
#include <vector>

#include "context/context_hold.h"
#include "kelnl/nlstd.h"
#include "platform/core/allocator.h"
#include "platform/core/core.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/unreadable_memory.h"

namespace {

// Every mutex operation of the core services, in order, while a test watches.
struct MutexLog {
  std::vector<std::pair<char, const void*>> operations;
  std::mutex guard;
};
MutexLog g_log;

void Record(char operation, const void* mutex) {
  std::lock_guard<std::mutex> lock(g_log.guard);
  g_log.operations.emplace_back(operation, mutex);
}

class ContextHold : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.operations.clear();
    kelnl::thread_services_probe::SetObserver(Record);
  }
  void TearDown() override {
    kelnl::thread_services_probe::SetObserver(nullptr);
    // Leave the process record empty for the next test.
    NlGlobalContext* context = nullptr;
    snlstdini(&context);
    ASSERT_EQ(context->reference_count, 0) << "a test left holds behind";
  }
  std::vector<const void*> Operations(char kind) {
    std::vector<const void*> found;
    for (auto& [operation, mutex] : g_log.operations) {
      if (operation == kind) found.push_back(mutex);
    }
    return found;
  }
};

TEST_F(ContextHold, ThreadSafeFirstHoldCreatesElevenMutexesInOrder) {
  NlGlobalContext* context = nullptr;
  kelnl::TakeContextHold(&context, 1);
  ASSERT_NE(context->thread_context, nullptr);
  const NlMutex* expected[] = {&context->context_mutex, &context->mutex_2, &context->mutex_6,
                               &context->mutex_3,       &context->mutex_7, &context->mutex_4,
                               &context->mutex_9,       &context->mutex_8, &context->mutex_5,
                               &context->startup_mutex, &context->trace_mutex};
  const std::vector<const void*> order(std::begin(expected), std::end(expected));
  EXPECT_EQ(Operations('i'), order);

  // Building the descriptor locks context_mutex, and only it.
  ASSERT_EQ(nlifigbl(context), 0);
  EXPECT_EQ(Operations('a'), std::vector<const void*>{&context->context_mutex});

  g_log.operations.clear();
  nlstdtrm(&context);
  EXPECT_EQ(Operations('d'), order) << "destruction follows the creation order";
  EXPECT_EQ(Operations('a').size(), Operations('r').size());
}

// Only a thread-safe first hold (flag exactly 1) on an empty record makes mutexes; an ordinary
// record's holds and descriptor take none. A release that is not the last keeps the caller's
// pointer and the facilities; the last one empties the record and nulls only its own slot.
TEST_F(ContextHold, OtherHoldsNeverMakeOrTakeMutexes) {
  NlGlobalContext* context = nullptr;
  nlstdini(&context);
  kelnl::TakeContextHold(&context, 1);
  EXPECT_EQ(context->thread_context, nullptr);
  EXPECT_EQ(context->reference_count, 2);
  ASSERT_EQ(nlifigbl(context), 0);
  NlGlobalContext* record = context;
  nlstdtrm(&context);
  ASSERT_EQ(context, record);
  EXPECT_NE(context->data_representation, nullptr);
  nlstdtrm(&context);
  EXPECT_EQ(context, nullptr);
  const NlGlobalContext zero{};
  EXPECT_EQ(std::memcmp(record, &zero, sizeof zero), 0) << "the record is empty again";
  kelnl::TakeContextHold(&context, 2);
  EXPECT_EQ(context->thread_context, nullptr);
  nlstdtrm(&context);
  EXPECT_TRUE(g_log.operations.empty());
}

TEST_F(ContextHold, NullAndUnreadableSlotsAreIgnored) {
  NlGlobalContext* empty = nullptr;
  snlstdtrm(&empty);
  nlstdtrm(nullptr);

  kelnl::testing::UnreadableMemory page;
  auto* bad = static_cast<NlGlobalContext*>(page.address());
  nlstdtrm(&bad);
  EXPECT_EQ(bad, page.address()) << "an unreadable record is refused, not released";
}

class DataRepresentation : public ::testing::Test {
 protected:
  void SetUp() override { nlstdini(&context_); }
  void TearDown() override { nlstdtrm(&context_); }
  NlGlobalContext* context_ = nullptr;
};

std::vector<uint8_t> VectorOf(const NlDataRepresentation* descriptor) {
  return {descriptor->vector, descriptor->vector + descriptor->vector[0]};
}

// The vector encodes the word sizes, the alignments, the flags and every byte-order table, so
// comparing it whole checks what the descriptor derived from the machine.
TEST_F(DataRepresentation, VectorOfALittleEndianIeeeMachine) {
  if (std::endian::native != std::endian::little) {
    GTEST_SKIP() << "the published vector is that of a little-endian machine";
  }
  ASSERT_EQ(nlifigbl(context_), 0);
  const std::vector<uint8_t> expected = {
      0x20, 0x08, 0xFF, 0x03, 0x01, 0x00, 0x12, 0x34, 0x34, 0x34, 0x34, 0x34, 0x78, 0x10, 0x10, 0x32,
      0x10, 0x32, 0x10, 0x32, 0x10, 0x32, 0x10, 0x32, 0x54, 0x76, 0x00, 0x78, 0x10, 0x32, 0x54, 0x76};
  EXPECT_EQ(VectorOf(context_->data_representation), expected);
}

TEST_F(DataRepresentation, OutOfMemoryKeepsWhatWasBuiltForALaterCall) {
  const long allocations = kelnl::testing::SweepExpectingCode([&] { return nlifigbl(context_); }, 1,
                                                              [&] { nliftgbl(context_); });
  EXPECT_EQ(allocations, 2);

  kelnl::allocation_hook::FailNth(2);
  EXPECT_EQ(nlifigbl(context_), 1);
  kelnl::allocation_hook::Disarm();
  ASSERT_NE(context_->data_representation, nullptr) << "the descriptor stays after a failure";
  EXPECT_EQ(context_->data_representation->byte_orders, nullptr);
  NlDataRepresentation* completed = context_->data_representation;
  ASSERT_EQ(nlifigbl(context_), 0);
  EXPECT_EQ(context_->data_representation, completed);
  EXPECT_EQ(context_->data_representation->vector[0], 32);
}

}  // namespace
