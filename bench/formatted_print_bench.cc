// Cost of nlfifpf against the C runtime's snprintf on the same texts: a command-interpreter line
// of text and integers, floating conversions, and a long text cut into 255-character pieces.
// The stream discards what it is given, so only the formatting is measured.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "kelnl/nlds.h"
#include "kelnl/nlfi.h"

namespace {

std::int32_t OpenNothing(NlPrimaryErrorRecord*, NlDiagStream*) { return 0; }
std::int32_t Discard(NlPrimaryErrorRecord*, NlDiagStream*, const void* buffer, std::uint32_t length) {
  benchmark::DoNotOptimize(buffer);
  benchmark::DoNotOptimize(length);
  return 0;
}

class DiscardingStream {
 public:
  DiscardingStream() {
    nldsinit(nullptr, &stream_, nullptr, NLDS_KIND_STANDARD_OUTPUT, 0, nullptr);
    stream_->op_open = OpenNothing;
    stream_->op_close = OpenNothing;
    stream_->op_write = Discard;
  }
  ~DiscardingStream() { nldsdestroy(nullptr, &stream_); }
  DiscardingStream(const DiscardingStream&) = delete;
  DiscardingStream& operator=(const DiscardingStream&) = delete;
  NlDiagStream* get() const { return stream_; }

 private:
  NlDiagStream* stream_ = nullptr;
};

constexpr char kTextLine[] = "%-12s%5d %08x %s\n";
constexpr char kFloatLine[] = "%e %.3f %g\n";

void BM_TextLine_nlfifpf(benchmark::State& state) {
  DiscardingStream stream;
  int i = 0;
  for (auto _ : state) {
    ++i;
    benchmark::DoNotOptimize(nlfifpf(nullptr, nullptr, stream.get(), kTextLine, "status", i, i * 7, "ok"));
  }
}
BENCHMARK(BM_TextLine_nlfifpf);

void BM_TextLine_snprintf(benchmark::State& state) {
  char buffer[256];
  int i = 0;
  for (auto _ : state) {
    ++i;
    benchmark::DoNotOptimize(std::snprintf(buffer, sizeof buffer, kTextLine, "status", i, i * 7, "ok"));
  }
}
BENCHMARK(BM_TextLine_snprintf);

void BM_Floats_nlfifpf(benchmark::State& state) {
  DiscardingStream stream;
  double value = 1234.5678;
  for (auto _ : state) {
    value += 0.001;
    benchmark::DoNotOptimize(nlfifpf(nullptr, nullptr, stream.get(), kFloatLine, value, value, value));
  }
}
BENCHMARK(BM_Floats_nlfifpf);

void BM_Floats_snprintf(benchmark::State& state) {
  char buffer[256];
  double value = 1234.5678;
  for (auto _ : state) {
    value += 0.001;
    benchmark::DoNotOptimize(std::snprintf(buffer, sizeof buffer, kFloatLine, value, value, value));
  }
}
BENCHMARK(BM_Floats_snprintf);

void BM_LongText_nlfifpf(benchmark::State& state) {
  DiscardingStream stream;
  const std::string text(4096, 'x');
  for (auto _ : state) benchmark::DoNotOptimize(nlfifpf(nullptr, nullptr, stream.get(), "%s\n", text.c_str()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 4097);
}
BENCHMARK(BM_LongText_nlfifpf);

}  // namespace
