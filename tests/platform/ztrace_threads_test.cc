// Several threads appending to one registration while another flushes: every record whole, the
// sequence unbroken and each thread's records in the order it wrote them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/os/os.h"
#include "tests/platform/ztrace_test_support.h"
#include "tests/support/test_files.h"

namespace {

constexpr int kThreads = 8;
constexpr std::uint32_t kRecordsPerThread = 2000;

TEST(ExternalTraceThreads, ConcurrentAppendsStayWholeAndOrdered) {
  kelnl::testing::TempDir dir;
  kelnl::testing::ZtRegistration trace;
  ASSERT_EQ(trace.Register(), 0);
  const auto vector = kelnl::testing::EnableVector();
  ASSERT_EQ(trace.Configure(vector.data(), "threads", dir.File("brisol.fdf")), 0);

  std::atomic<bool> writing{true};
  std::thread flusher([&] {
    while (writing.load()) zt20_flush(2);
  });
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&trace, t] {
      // The record length differs per thread so that a torn record would misalign the file.
      std::uint8_t record[64] = {};
      record[0] = static_cast<std::uint8_t>(t);
      for (std::uint32_t i = 0; i < kRecordsPerThread; ++i) {
        kelzt::StoreU32(record + 1, i);
        ASSERT_EQ(trace.Write(1, record, 5 + static_cast<std::uint32_t>(t), t), 0);
      }
    });
  }
  for (auto& writer : writers) writer.join();
  writing.store(false);
  flusher.join();
  ASSERT_EQ(trace.Terminate(), 0);

  const auto bytes = kelnl::testing::ReadBytes(
      kelnl::testing::TraceFilePath(dir.path(), "threads", kelnl::os::ProcessId()));
  kelzt::TraceFileReader reader(bytes);
  kelzt::FileHeader header;
  ASSERT_EQ(reader.ReadHeader(&header), kelzt::ReadStatus::kRecord);
  std::uint32_t next_of_thread[kThreads] = {};
  std::uint32_t sequence = 0;
  kelzt::Record record;
  kelzt::ReadStatus status;
  while ((status = reader.Next(&record)) == kelzt::ReadStatus::kRecord) {
    ASSERT_EQ(record.sequence, ++sequence);
    const int t = record.bytes[0];
    ASSERT_LT(t, kThreads);
    ASSERT_EQ(record.bytes.size(), 5u + static_cast<unsigned>(t));
    ASSERT_EQ(record.external_argument, static_cast<std::uint64_t>(t));
    ASSERT_EQ(kelzt::LoadU32(record.bytes.data() + 1), next_of_thread[t]++);
  }
  EXPECT_EQ(status, kelzt::ReadStatus::kEnd);
  EXPECT_EQ(sequence, kThreads * kRecordsPerThread);
}

}  // namespace
