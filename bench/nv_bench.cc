// Parse, write and copy throughput of the name-value library on large description lists. The
// size argument is in KiB; bytes per second that stay flat across sizes show linear cost.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "kelnl/nlnv.h"

namespace {

// One description of about 300 bytes, a little different each time so that no two are alike.
std::string Description(int index) {
  char text[512];
  std::snprintf(text, sizeof text,
                "(DESCRIPTION=(FAILOVER=on)(LOAD_BALANCE=%s)"
                "(ADDRESS_LIST=(ADDRESS=(PROTOCOL=tcp)(HOST=db%d.example.com)(PORT=%d))"
                "(ADDRESS=(PROTOCOL=tcp)(HOST=db%d-standby.example.com)(PORT=%d)))"
                "(CONNECT_DATA=(SERVICE_NAME=sales%d.example.com)(SERVER=dedicated)"
                "(INSTANCE_NAME=\"inst (%d)\")))",
                index % 2 == 0 ? "on" : "off", index, 1521 + index % 7, index, 1522 + index % 5,
                index % 97, index);
  return text;
}

std::string DescriptionList(std::size_t bytes) {
  std::string text = "(DESCRIPTION_LIST=";
  for (int i = 0; text.size() < bytes; ++i) text += Description(i);
  return text + ")";
}

NlnvBinding* ParseOrDie(const std::string& text) {
  NlnvBinding* binding = nullptr;
  if (nlnvcrb(text.data(), text.size(), &binding, nullptr) != 0) std::abort();
  return binding;
}

void SetThroughput(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.SetComplexityN(static_cast<int64_t>(bytes));
}

void BM_ParseAndDestroy(benchmark::State& state) {
  const std::string text = DescriptionList(static_cast<std::size_t>(state.range(0)) * 1024);
  for (auto _ : state) nlnvdeb(ParseOrDie(text));
  uint32_t descriptions = 0;
  NlnvBinding* binding = ParseOrDie(text);
  nlnvnnv(binding, &descriptions);
  nlnvdeb(binding);
  state.counters["descriptions"] = descriptions;
  SetThroughput(state, text.size());
}

void BM_WriteBack(benchmark::State& state) {
  const std::string text = DescriptionList(static_cast<std::size_t>(state.range(0)) * 1024);
  NlnvBinding* binding = ParseOrDie(text);
  std::string buffer(text.size() + 1, '\0');
  for (auto _ : state) {
    size_t size = 0;
    size_t length = 0;
    nlnvszs(binding, &size);
    if (nlnvcrs(binding, buffer.data(), size + 1, &length) != 0 || length != text.size()) {
      std::abort();
    }
    benchmark::DoNotOptimize(buffer.data());
  }
  nlnvdeb(binding);
  SetThroughput(state, text.size());
}

void BM_CopyAndDestroy(benchmark::State& state) {
  const std::string text = DescriptionList(static_cast<std::size_t>(state.range(0)) * 1024);
  NlnvBinding* binding = ParseOrDie(text);
  for (auto _ : state) {
    NlnvBinding* copy = nullptr;
    if (nlnvcpb(binding, &copy) != 0) std::abort();
    nlnvdeb(copy);
  }
  nlnvdeb(binding);
  SetThroughput(state, text.size());
}

BENCHMARK(BM_ParseAndDestroy)->RangeMultiplier(4)->Range(64, 4096)->Complexity(benchmark::oN);
BENCHMARK(BM_WriteBack)->RangeMultiplier(4)->Range(64, 4096)->Complexity(benchmark::oN);
BENCHMARK(BM_CopyAndDestroy)->Arg(1024);

}  // namespace
