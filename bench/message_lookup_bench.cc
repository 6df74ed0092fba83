// Cost of formatting numbered messages: texts served from the cache, texts read through the
// index from the file, and the fallback when no message file exists.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "kelnl/nlem.h"
#include "platform/nls/nls.h"

namespace {

constexpr std::uint32_t kHighestNumber = 2000;

class Facility {
 public:
  Facility() { nleminz(nullptr, &facility_, 1, nullptr, 0, nullptr); }
  ~Facility() { nlemdestroy(nullptr, &facility_); }
  NlMessageFacility* get() const { return facility_; }

  // The numbers that the library's message file has texts for.
  std::vector<std::uint32_t> Numbers() const {
    NlEmfi* record = nlemfsearch(facility_, 1);
    nlemomf(facility_, record);
    std::vector<std::uint32_t> numbers;
    for (std::uint32_t n = 1; n <= kHighestNumber; ++n) {
      if (kelnl::nls::HasMessage(&record->message_file, n)) numbers.push_back(n);
    }
    return numbers;
  }

 private:
  NlMessageFacility* facility_ = nullptr;
};

void Format(NlMessageFacility* facility, std::uint32_t number, std::int32_t args) {
  char buffer[512];
  std::size_t length = 0;
  nlemgmz(nullptr, facility, 1, number, 2, args, 0, 1, buffer, sizeof buffer, &length);
  benchmark::DoNotOptimize(length);
}

void BM_CachedMessage(benchmark::State& state) {
  Facility facility;
  for (auto _ : state) Format(facility.get(), 462, 0);
}
BENCHMARK(BM_CachedMessage);

// Cycling through every message defeats the eight-slot cache: each lookup searches the index
// and reads the text from the file.
void BM_UncachedMessages(benchmark::State& state) {
  Facility facility;
  const std::vector<std::uint32_t> numbers = facility.Numbers();
  std::size_t next = 0;
  for (auto _ : state) {
    Format(facility.get(), numbers[next], 0);
    next = (next + 1) % numbers.size();
  }
  state.counters["messages"] = static_cast<double>(numbers.size());
}
BENCHMARK(BM_UncachedMessages);

void BM_PrimaryRecordText(benchmark::State& state) {
  Facility facility;
  NlPrimaryErrorRecord record{};
  for (std::int32_t error : {405, 462, 601, 700, 851}) nlepepe(&record, 1, error, 2);
  char buffer[1024];
  for (auto _ : state) {
    std::size_t length = 0;
    nleme2t(&record, facility.get(), buffer, sizeof buffer, &length);
    benchmark::DoNotOptimize(length);
  }
}
BENCHMARK(BM_PrimaryRecordText);

}  // namespace
