// The cost of a trace record written to a trace file (flushed after each record, so that a crash
// loses nothing), beside the same line through fprintf with fflush and through spdlog's file sink
// flushed after each message; the cost of a record the level drops; and eight threads tracing to
// one thread-safe context.
#include <benchmark/benchmark.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "context/context_hold.h"
#include "kelnl/nldt.h"
#include "kelnl/nlstd.h"

namespace {

constexpr std::int64_t kRecords = 1000000;
// With "nsc: " in front and the line end, each record is 80 bytes.
const std::string kText(74, 't');

std::string BenchFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("kelnl_trace_bench_" + name)).string();
}

// A trace at `level` on a file of its own, as a component's startup leaves it, with the process's
// context held meanwhile (thread-safe when asked).
class BenchTrace {
 public:
  BenchTrace(const std::string& name, std::uint32_t level, bool thread_safe = false) : path_(BenchFile(name)) {
    kelnl::TakeContextHold(&context_, thread_safe ? 1 : 0);
    NlFileNameDesc desc{};
    desc.base_name = path_.data();
    desc.base_name_length = static_cast<std::uint32_t>(path_.size());
    nldsinit(nullptr, &stream_, nullptr, NLDS_KIND_FILE, 0, &desc);
    // No table: the events parameter is absent, so every event is enabled.
    nldtin2(nullptr, &trace_, nullptr, stream_, nullptr, 0, "events", 6, nullptr, 0);
    nldtlvlalter(nullptr, trace_, level);
    stream_->trace = trace_;
  }
  ~BenchTrace() {
    nldtdestroy(nullptr, &trace_);
    nldsdestroy(nullptr, &stream_);
    nlstdtrm(&context_);
    std::filesystem::remove(path_);
  }
  BenchTrace(const BenchTrace&) = delete;
  BenchTrace& operator=(const BenchTrace&) = delete;

  NlTraceContext* trace() const { return trace_; }

 private:
  std::string path_;
  NlGlobalContext* context_ = nullptr;
  NlDiagStream* stream_ = nullptr;
  NlTraceContext* trace_ = nullptr;
};

void BM_TraceRecord(benchmark::State& state) {
  BenchTrace bench("record.trc", NLDT_LEVEL_MAXIMUM);
  for (auto _ : state) nldtr2(nullptr, bench.trace(), "nsc", 16, 1, 0, 0, "%s\n", kText.c_str());
  state.SetBytesProcessed(state.iterations() * 80);
}
BENCHMARK(BM_TraceRecord)->Iterations(kRecords)->Unit(benchmark::kNanosecond);

void BM_FprintfFflush(benchmark::State& state) {
  const std::string path = BenchFile("fprintf.trc");
  FILE* file = std::fopen(path.c_str(), "w");
  for (auto _ : state) {
    std::fprintf(file, "%s: %s\n", "nsc", kText.c_str());
    std::fflush(file);
  }
  std::fclose(file);
  std::filesystem::remove(path);
  state.SetBytesProcessed(state.iterations() * 80);
}
BENCHMARK(BM_FprintfFflush)->Iterations(kRecords)->Unit(benchmark::kNanosecond);

void BM_SpdlogFileSinkFlushEach(benchmark::State& state) {
  const std::string path = BenchFile("spdlog.trc");
  auto logger = spdlog::basic_logger_st("kelnl_trace_bench", path, true);
  logger->set_pattern("%v");
  logger->flush_on(spdlog::level::trace);
  for (auto _ : state) logger->info("{}: {}", "nsc", kText);
  spdlog::drop("kelnl_trace_bench");
  logger.reset();
  std::filesystem::remove(path);
  state.SetBytesProcessed(state.iterations() * 80);
}
BENCHMARK(BM_SpdlogFileSinkFlushEach)->Iterations(kRecords)->Unit(benchmark::kNanosecond);

void BM_RecordDroppedByLevel(benchmark::State& state) {
  BenchTrace bench("dropped.trc", 4);
  for (auto _ : state) {
    benchmark::DoNotOptimize(nldtr2(nullptr, bench.trace(), "nsc", 16, 1, 0, 0, "%s\n", kText.c_str()));
  }
}
BENCHMARK(BM_RecordDroppedByLevel);

// Eight threads share one thread-safe context: every record is written whole under trace_mutex.
BenchTrace* shared_trace = nullptr;

void BM_EightThreadsOneContext(benchmark::State& state) {
  if (state.thread_index() == 0) shared_trace = new BenchTrace("threads.trc", NLDT_LEVEL_MAXIMUM, true);
  // The framework starts the timed loops of all threads together, after the setup above, and
  // ends them together, before the teardown below.
  for (auto _ : state) nldtr2(nullptr, shared_trace->trace(), "nsc", 16, 1, 0, 0, "%s\n", kText.c_str());
  if (state.thread_index() == 0) {
    delete shared_trace;
    shared_trace = nullptr;
  }
  state.SetBytesProcessed(state.iterations() * 80);
}
BENCHMARK(BM_EightThreadsOneContext)->Threads(8)->Iterations(kRecords / 8)->UseRealTime();

}  // namespace
