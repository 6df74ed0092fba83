// Cost of a trace line through a diagnostic stream: a formatted write to a file (flushed after
// every line, so that a crash loses nothing), the same through a ring of files that keeps
// cycling, and a raw write to a pair of files.
#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <string>

#include "kelnl/nlds.h"
#include "kelnl/nldt.h"

namespace {

class Files {
 public:
  Files() : directory_(std::filesystem::temp_directory_path() / "kelnl_stream_bench") {
    std::filesystem::create_directories(directory_);
  }
  ~Files() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }
  Files(const Files&) = delete;
  Files& operator=(const Files&) = delete;

  // The stream keeps its own copy of the name, so the path may go away after creation.
  NlDiagStream* Open(const std::string& name) {
    const std::string path = (directory_ / name).string();
    NlFileNameDesc desc{};
    desc.base_name = path.data();
    desc.base_name_length = static_cast<std::uint32_t>(path.size());
    NlDiagStream* stream = nullptr;
    nldsinit(nullptr, &stream, nullptr, NLDS_KIND_FILE, 0, &desc);
    nldsopen(nullptr, stream);
    return stream;
  }

 private:
  std::filesystem::path directory_;
};

constexpr char kLine[] = "[05-DEC-2024 17:26:00:123] nsopen: opening transport, session %d\n";

void BM_FormattedLineToFile(benchmark::State& state) {
  Files files;
  NlDiagStream* stream = files.Open("single.trc");
  auto* file = static_cast<NlDiagFile*>(stream->kind_data);
  int line = 0;
  for (auto _ : state) {
    // Rewind now and then so that the file stays small and the disk is not the measurement.
    if (++line % 4096 == 0) std::rewind(file->handle);
    benchmark::DoNotOptimize(nldsfprintf(nullptr, stream, kLine, line));
  }
  nldsdestroy(nullptr, &stream);
}
BENCHMARK(BM_FormattedLineToFile);

void BM_FormattedLineThroughRing(benchmark::State& state) {
  Files files;
  NlTraceContext trace{};
  trace.file_length = 16;
  std::array<NlDiagStream*, 3> ring{};
  for (std::size_t i = 0; i < ring.size(); ++i) {
    ring[i] = files.Open("ring" + std::to_string(i) + ".trc");
    ring[i]->trace = &trace;
    ring[i]->state |= NLDS_STATE_CYCLING;
  }
  for (std::size_t i = 0; i < ring.size(); ++i) ring[i]->next = ring[(i + 1) % ring.size()];
  ring[0]->sequence = 1;
  trace.stream = ring[0];
  int line = 0;
  for (auto _ : state) benchmark::DoNotOptimize(nldsfprintf(nullptr, trace.stream, kLine, ++line));
  state.counters["cycles"] = static_cast<double>(trace.stream->sequence);
  for (NlDiagStream*& stream : ring) nldsdestroy(nullptr, &stream);
}
BENCHMARK(BM_FormattedLineThroughRing);

void BM_RawWriteToPair(benchmark::State& state) {
  Files files;
  NlDiagStream* members[2] = {files.Open("first.log"), files.Open("second.log")};
  NlDiagStream* pair = nullptr;
  nldsinit(nullptr, &pair, nullptr, NLDS_KIND_PAIR, 0, members);
  const std::string text(64, 'p');
  std::int64_t written = 0;
  for (auto _ : state) {
    if (written % (1 << 20) == 0) {
      for (NlDiagStream* member : members) std::rewind(static_cast<NlDiagFile*>(member->kind_data)->handle);
    }
    benchmark::DoNotOptimize(nldswrite(nullptr, pair, text.data(), static_cast<std::uint32_t>(text.size())));
    written += static_cast<std::int64_t>(text.size());
  }
  state.SetBytesProcessed(written);
  nldsdestroy(nullptr, &pair);
  for (NlDiagStream*& member : members) nldsdestroy(nullptr, &member);
}
BENCHMARK(BM_RawWriteToPair);

}  // namespace
