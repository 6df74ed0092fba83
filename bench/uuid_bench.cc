// Creating an identifier and writing its text: kelnl (nluicrt + nluits) against libuuid's
// random identifiers (uuid_generate_random + uuid_unparse) in the same program. The parts are
// measured on their own as well, so the cost of the text form is seen apart from the system's
// random source.
#include <benchmark/benchmark.h>
#include <uuid/uuid.h>

#include "kelnl/nlui.h"

namespace {

void BM_KelnlCreateAndText(benchmark::State& state) {
  uint8_t id[NLUI_ID_BYTES];
  char text[NLUI_TEXT_BUFFER_SIZE];
  for (auto _ : state) {
    nluicrt(nullptr, id);
    benchmark::DoNotOptimize(nluits(id, text));
  }
}
BENCHMARK(BM_KelnlCreateAndText);

void BM_LibuuidCreateAndText(benchmark::State& state) {
  uuid_t id;
  char text[37];
  for (auto _ : state) {
    uuid_generate_random(id);
    uuid_unparse(id, text);
    benchmark::DoNotOptimize(text[0]);
  }
}
BENCHMARK(BM_LibuuidCreateAndText);

void BM_KelnlCreate(benchmark::State& state) {
  uint8_t id[NLUI_ID_BYTES];
  for (auto _ : state) benchmark::DoNotOptimize(nluicrt(nullptr, id));
}
BENCHMARK(BM_KelnlCreate);

void BM_LibuuidCreate(benchmark::State& state) {
  uuid_t id;
  for (auto _ : state) {
    uuid_generate_random(id);
    benchmark::DoNotOptimize(id[0]);
  }
}
BENCHMARK(BM_LibuuidCreate);

void BM_KelnlText(benchmark::State& state) {
  uint8_t id[NLUI_ID_BYTES];
  nluicrt(nullptr, id);
  char text[NLUI_TEXT_BUFFER_SIZE];
  for (auto _ : state) {
    benchmark::DoNotOptimize(nluits(id, text));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_KelnlText);

void BM_LibuuidText(benchmark::State& state) {
  uuid_t id;
  uuid_generate_random(id);
  char text[37];
  for (auto _ : state) {
    uuid_unparse(id, text);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_LibuuidText);

void BM_KelnlParseText(benchmark::State& state) {
  uint8_t id[NLUI_ID_BYTES];
  nluicrt(nullptr, id);
  char text[NLUI_TEXT_BUFFER_SIZE];
  nluits(id, text);
  for (auto _ : state) benchmark::DoNotOptimize(nluifs(text, id));
}
BENCHMARK(BM_KelnlParseText);

void BM_LibuuidParseText(benchmark::State& state) {
  uuid_t id;
  uuid_generate_random(id);
  char text[37];
  uuid_unparse(id, text);
  for (auto _ : state) benchmark::DoNotOptimize(uuid_parse(text, id));
}
BENCHMARK(BM_LibuuidParseText);

}  // namespace
