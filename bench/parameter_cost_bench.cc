// Inputs that used to cost far more than their size: names that share one nlhthskey value,
// deletions inside a long run of colliding keys, many spellings of one name and a file that
// includes itself. Each hostile shape runs beside a harmless one of the same size.
#include <benchmark/benchmark.h>

#include <cctype>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>

#include "kelnl/nlht.h"
#include "kelnl/nlpa.h"

namespace {

std::string WriteFile(const char* leaf, const std::string& text) {
  const std::string path = (std::filesystem::temp_directory_path() / leaf).string();
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

void ParseFile(benchmark::State& state, const std::string& path) {
  NlFileNameDesc desc{};
  desc.base_name = path.c_str();
  desc.base_name_length = static_cast<uint32_t>(path.size());
  for (auto _ : state) {
    NlPrimaryErrorRecord record{};
    NlParameterTable* table = nullptr;
    nlpains(&record, &table, 0, &desc, nullptr, 0, nullptr, nullptr, 0, nullptr);
    if (table == nullptr) state.SkipWithError("parse failed");
    nlpatrm(&record, &table);
  }
}

// 40,000 names: the number at the front and a long common tail (one hash value for all), or the
// same parts the other way round.
std::string ManyNames(bool shared_tail) {
  std::string text;
  for (int i = 0; i < 40000; ++i) {
    const std::string number = std::to_string(100000 + i);
    text += (shared_tail ? "svc" + number + ".connect_timeout" : "connect_timeout.svc" + number) + " = 5\n";
  }
  return text;
}

void BM_NamesSharingATail(benchmark::State& state) {
  static const std::string path = WriteFile("kelnl-bench-tail.kel", ManyNames(true));
  ParseFile(state, path);
}
void BM_NamesVaryingAtTheEnd(benchmark::State& state) {
  static const std::string path = WriteFile("kelnl-bench-head.kel", ManyNames(false));
  ParseFile(state, path);
}

// 100,000 spellings of one 17-letter name, each a statement of its own.
void BM_ManySpellingsOfOneName(benchmark::State& state) {
  static const std::string path = [] {
    std::string text;
    const std::string name = "connection_string";
    for (int i = 0; i < 100000; ++i) {
      std::string spelling = name;
      for (std::size_t bit = 0; bit < spelling.size(); ++bit) {
        if ((i >> bit & 1) != 0 && std::isalpha(static_cast<unsigned char>(spelling[bit]))) {
          spelling[bit] = static_cast<char>(std::toupper(static_cast<unsigned char>(spelling[bit])));
        }
      }
      text += spelling + " = " + std::to_string(i) + "\n";
    }
    return WriteFile("kelnl-bench-spellings.kel", text);
  }();
  ParseFile(state, path);
}

// A file that includes itself 40 times, among a few statements.
void BM_FileIncludingItself(benchmark::State& state) {
  static const std::string path = [] {
    const std::string self = (std::filesystem::temp_directory_path() / "kelnl-bench-self.kel").string();
    std::string text = "a = 1\n";
    for (int i = 0; i < 40; ++i) text += "ifile = " + self + "\n";
    text += "b = 2\n";
    return WriteFile("kelnl-bench-self.kel", text);
  }();
  ParseFile(state, path);
}

uint32_t OneHomeForAll(const void*, uint32_t) { return 0; }

// 1,500 deletions from the middle of a run of 5,000 colliding keys.
void BM_DeletionsInALongRun(benchmark::State& state) {
  std::deque<std::string> keys;
  for (int i = 0; i < 5000; ++i) keys.push_back("key" + std::to_string(i));
  for (auto _ : state) {
    NlHashTable* table = nlhthnew(OneHomeForAll, nlhthteq);
    for (const std::string& key : keys) nlhthput(table, key.data(), static_cast<uint32_t>(key.size()), table);
    for (int i = 1000; i < 2500; ++i) {
      benchmark::DoNotOptimize(nlhthdel(table, keys[i].data(), static_cast<uint32_t>(keys[i].size())));
    }
    nlhthfre(table);
  }
}

BENCHMARK(BM_NamesSharingATail)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NamesVaryingAtTheEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManySpellingsOfOneName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileIncludingItself)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeletionsInALongRun)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
