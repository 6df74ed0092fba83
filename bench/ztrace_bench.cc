// Cost of a record through the external trace library: appended and pushed to the file as the
// trace bridge sends it (write, then flush), appended alone (left to the stream's buffer), and
// dropped because its type is not enabled; and appends from several threads to one registration.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/ztrace/ztrace.h"

namespace {

constexpr std::uint32_t kRecordBytes = 80;

class Registration {
 public:
  Registration() : directory_(std::filesystem::temp_directory_path() / "kelnl_ztrace_bench") {
    std::filesystem::create_directories(directory_);
    zt22_register(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, "BENCHMARK01", 0, &handle_, ZT_TYPE_COUNT, 2,
                  0, 0, 0, 0, &state_);
    std::int32_t vector[ZT_TYPE_COUNT] = {};
    vector[ZT_TYPE_DETAIL_HIGH] = 1;  // every other type is dropped
    const std::string configuration = (directory_ / "brisol.fdf").string();
    zt13_configure(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, vector, "bench", configuration.c_str(), 0,
                   0, &state_);
  }
  ~Registration() {
    zt16_terminate(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, &state_);
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;

  std::int32_t Write(std::int32_t type) {
    return zt18_write(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, type, 0, record_, kRecordBytes, 0, 0, 0, &state_);
  }

 private:
  std::filesystem::path directory_;
  void* handle_ = nullptr;
  uintptr_t state_ = 0;
  std::uint8_t record_[kRecordBytes] = {};
};

void BM_RecordWrittenAndFlushed(benchmark::State& state) {
  Registration registration;
  for (auto _ : state) {
    benchmark::DoNotOptimize(registration.Write(ZT_TYPE_DETAIL_HIGH));
    benchmark::DoNotOptimize(zt20_flush(2));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kRecordBytes);
}
BENCHMARK(BM_RecordWrittenAndFlushed);

void BM_RecordWritten(benchmark::State& state) {
  Registration registration;
  for (auto _ : state) benchmark::DoNotOptimize(registration.Write(ZT_TYPE_DETAIL_HIGH));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kRecordBytes);
}
BENCHMARK(BM_RecordWritten);

void BM_RecordDroppedByType(benchmark::State& state) {
  Registration registration;
  for (auto _ : state) benchmark::DoNotOptimize(registration.Write(ZT_TYPE_DETAIL_LOW));
}
BENCHMARK(BM_RecordDroppedByType);

// One registration shared by the benchmark's threads, made by the first of them.
Registration* shared = nullptr;

void BM_RecordWrittenFromThreads(benchmark::State& state) {
  if (state.thread_index() == 0) shared = new Registration;
  for (auto _ : state) benchmark::DoNotOptimize(shared->Write(ZT_TYPE_DETAIL_HIGH));
  if (state.thread_index() == 0) {
    delete shared;
    shared = nullptr;
  }
}
BENCHMARK(BM_RecordWrittenFromThreads)->Threads(8)->UseRealTime();

}  // namespace
