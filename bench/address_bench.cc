// Address expansion on DESCRIPTION_LISTs of N descriptions with three addresses each: one
// iteration is nladini over the parsed list and nladget until nothing is left. Time per returned
// address that stays flat from 10 to 10,000 descriptions shows linear cost. The multi-address
// iterator is measured the same way, from text.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "kelnl/nlad.h"
#include "kelnl/nlmad.h"
#include "kelnl/nlrn.h"

namespace {

std::string DescriptionList(std::int64_t descriptions) {
  std::string text = "(DESCRIPTION_LIST=";
  char description[512];
  for (std::int64_t i = 0; i < descriptions; ++i) {
    std::snprintf(description, sizeof description,
                  "(DESCRIPTION=(ADDRESS=(PROTOCOL=tcp)(HOST=db%lld-a.example.com)(PORT=1521))"
                  "(ADDRESS_LIST=(ADDRESS=(PROTOCOL=tcp)(HOST=db%lld-b.example.com)(PORT=1521))"
                  "(ADDRESS=(PROTOCOL=tcp)(HOST=db%lld-c.example.com)(PORT=1521)))"
                  "(CONNECT_DATA=(SERVICE_NAME=sales.example.com)))",
                  static_cast<long long>(i), static_cast<long long>(i), static_cast<long long>(i));
    text += description;
  }
  return text + ")";
}

void BM_ExpandAndIterate(benchmark::State& state) {
  const std::string text = DescriptionList(state.range(0));
  NlnvBinding* descriptor = nullptr;
  if (nlnvcrb(text.data(), text.size(), &descriptor, nullptr) != 0) std::abort();
  NlGlobalContext context{};
  nlrnini(&context);
  std::int64_t addresses = 0;
  for (auto _ : state) {
    NlAddressIterator* handle = nullptr;
    if (nladini(&context, &handle, descriptor, 0) != 0) std::abort();
    NlnvBinding* connect = nullptr;
    NlnvBinding* forward = nullptr;
    while (nladget(handle, &connect, &forward) == NLAD_GET_OK) {
      benchmark::DoNotOptimize(connect);
      ++addresses;
    }
    nladtrm(&handle);
  }
  state.counters["per_address"] =
      benchmark::Counter(static_cast<double>(addresses), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(addresses);
  nlrntrm(&context);
  nlnvdeb(descriptor);
}
BENCHMARK(BM_ExpandAndIterate)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_MultiAddress(benchmark::State& state) {
  const std::string text = DescriptionList(state.range(0));
  NlGlobalContext context{};
  std::int64_t entries = 0;
  for (auto _ : state) {
    NlMultiAddressIterator* handle = nullptr;
    if (nlmadini(&context, &handle, text.data(), static_cast<std::uint32_t>(text.size()), 0) != 0) std::abort();
    while (nlmadget(handle) == NLMAD_GET_OK) ++entries;
    nlmadtrm(&handle);
  }
  state.counters["per_entry"] =
      benchmark::Counter(static_cast<double>(entries), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(entries);
  nlrntrm(&context);
}
BENCHMARK(BM_MultiAddress)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
