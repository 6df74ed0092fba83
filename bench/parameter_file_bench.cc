// Parameter-file reading: a full parse, lookup mode and one huge list value, beside the peers
// (inih storing every pair in a map, and a plain getline reader into an unordered_map) and the
// limit (reading the bytes and counting lines).
#include <benchmark/benchmark.h>
#include <ini.h>
#include <malloc.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>

#include "kelnl/nlpa.h"

namespace {

constexpr std::size_t kShortStatementsBytes = 10u << 20;
constexpr std::size_t kBigValueBytes = 50u << 20;

struct BenchFile {
  std::string path;
  std::size_t bytes = 0;
};

// Files are written line by line, so that making them does not raise the process's peak memory
// before the parse is measured.
template <typename Line>
BenchFile Make(const char* leaf, const char* head, std::size_t bytes, Line line, const char* tail) {
  BenchFile file{(std::filesystem::temp_directory_path() / leaf).string(), 0};
  std::ofstream out(file.path, std::ios::binary);
  out << head;
  file.bytes = std::strlen(head) + std::strlen(tail);
  for (int i = 0; file.bytes < bytes; ++i) {
    const std::string text = line(i);
    out << text;
    file.bytes += text.size();
  }
  out << tail;
  return file;
}

// 10 MB of short statements, the shape of an ordinary parameter file.
const BenchFile& ShortStatements() {
  static const BenchFile file = Make(
      "kelnl-bench-short.kel", "", kShortStatementsBytes,
      [](int i) { return "parameter_" + std::to_string(i) + " = value_" + std::to_string(i * 7) + "\n"; },
      "wanted_last = found\n");
  return file;
}

// One list value of 50 MB spread over continuation lines.
const BenchFile& BigValue() {
  static const BenchFile file = Make(
      "kelnl-bench-big.kel", "BIG = (DESCRIPTION_LIST =\n", kBigValueBytes,
      [](int i) { return "   (ADDRESS=(PROTOCOL=tcp)(HOST=host" + std::to_string(i) + ")(PORT=1521))\n"; },
      "  )\n");
  return file;
}

// Resident memory in bytes: the current figure or the process's peak (VmRSS, VmHWM).
std::size_t ResidentBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == field) {
      std::size_t kilobytes = 0;
      status >> kilobytes;
      return kilobytes * 1024;
    }
    status.ignore(1 << 10, '\n');
  }
  return 0;
}

NlFileNameDesc Descriptor(const BenchFile& file) {
  NlFileNameDesc desc{};
  desc.base_name = file.path.c_str();
  desc.base_name_length = static_cast<uint32_t>(file.path.size());
  return desc;
}

// Heap bytes in use, small blocks and mapped ones alike.
std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// Forgets the process's resident peak, so that VmHWM shows the peak from here on.
void ResetResidentPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct MemoryFigures {
  std::size_t held = 0;  // heap the finished table holds
  std::size_t peak = 0;  // resident peak while parsing, above where it started
};

// Memory is measured on the very first parse of a file in the process only: later parses reuse
// heap that earlier ones left resident, which hides their real peak. For a figure that no other
// benchmark disturbed, run this one alone (--benchmark_filter).
MemoryFigures MeasureFirstParse(const BenchFile& file, const NlFileNameDesc& desc, NlParameterTable** table,
                                NlPrimaryErrorRecord* record) {
  static std::unordered_map<std::string, MemoryFigures> measured;
  const auto known = measured.find(file.path);
  const bool first = known == measured.end();
  MemoryFigures figures = first ? MemoryFigures{} : known->second;
  const std::size_t heap_before = first ? HeapInUse() : 0;
  if (first) ResetResidentPeak();
  const std::size_t resident_before = first ? ResidentBytes("VmRSS:") : 0;
  const int32_t result = nlpains(record, table, 0, &desc, nullptr, 0, nullptr, nullptr, 0, nullptr);
  if (first && result == 0) {
    figures = MemoryFigures{HeapInUse() - heap_before, ResidentBytes("VmHWM:") - resident_before};
    measured.emplace(file.path, figures);
  }
  return figures;
}

void ParseFull(benchmark::State& state, const BenchFile& file) {
  const NlFileNameDesc desc = Descriptor(file);
  MemoryFigures figures;
  for (auto _ : state) {
    NlPrimaryErrorRecord record{};
    NlParameterTable* table = nullptr;
    figures = MeasureFirstParse(file, desc, &table, &record);
    if (table == nullptr || record.count != 0) state.SkipWithError("parse failed");
    nlpatrm(&record, &table);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.bytes));
  const auto per_file_byte = [&](std::size_t bytes) {
    return static_cast<double>(bytes) / static_cast<double>(file.bytes);
  };
  state.counters["table_bytes_per_file_byte"] = per_file_byte(figures.held);
  state.counters["peak_bytes_per_file_byte"] = per_file_byte(figures.peak);
}

void BM_ParseShortStatements(benchmark::State& state) { ParseFull(state, ShortStatements()); }
void BM_ParseOneBigListValue(benchmark::State& state) { ParseFull(state, BigValue()); }

void BM_LookupLastOfShortStatements(benchmark::State& state) {
  const BenchFile& file = ShortStatements();
  const NlFileNameDesc desc = Descriptor(file);
  for (auto _ : state) {
    NlPrimaryErrorRecord record{};
    char buffer[32];
    char* value = buffer;
    uint32_t size = sizeof buffer - 1;
    if (nlpains(&record, nullptr, NLPA_LOOKUP_MODE, &desc, "wanted_last", 11, &value, &size, 0, nullptr) != 0 ||
        std::strcmp(buffer, "found") != 0) {
      state.SkipWithError("lookup failed");
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.bytes));
}

int StorePair(void* user, const char*, const char* name, const char* value) {
  (*static_cast<std::unordered_map<std::string, std::string>*>(user))[name] = value;
  return 1;
}

void BM_InihIntoMap(benchmark::State& state) {
  const BenchFile& file = ShortStatements();
  for (auto _ : state) {
    std::unordered_map<std::string, std::string> pairs;
    if (ini_parse(file.path.c_str(), StorePair, &pairs) != 0) state.SkipWithError("inih failed");
    benchmark::DoNotOptimize(pairs.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.bytes));
}

// The plainest reader a program might write instead: std::getline, the text on either side of
// the first '=' trimmed of blanks, the name lowered, each pair stored in an unordered_map.
void BM_GetlineIntoUnorderedMap(benchmark::State& state) {
  const BenchFile& file = ShortStatements();
  const auto trim = [](const std::string& text, std::size_t from, std::size_t to) {
    while (from < to && (text[from] == ' ' || text[from] == '\t')) ++from;
    while (to > from && (text[to - 1] == ' ' || text[to - 1] == '\t' || text[to - 1] == '\r')) --to;
    return text.substr(from, to - from);
  };
  for (auto _ : state) {
    std::unordered_map<std::string, std::string> pairs;
    std::ifstream in(file.path);
    for (std::string line; std::getline(in, line);) {
      if (line.empty() || line[0] == '#') continue;
      const std::size_t equals = line.find('=');
      if (equals == std::string::npos) continue;
      std::string name = trim(line, 0, equals);
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      pairs[std::move(name)] = trim(line, equals + 1, line.size());
    }
    benchmark::DoNotOptimize(pairs.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.bytes));
}

void BM_FreadAndCountLines(benchmark::State& state) {
  const BenchFile& file = ShortStatements();
  static char buffer[1 << 16];
  for (auto _ : state) {
    std::FILE* in = std::fopen(file.path.c_str(), "rb");
    std::size_t lines = 0;
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;) {
      for (const char* p = buffer; (p = static_cast<const char*>(std::memchr(p, '\n', buffer + got - p))); ++p) {
        ++lines;
      }
    }
    std::fclose(in);
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.bytes));
}

BENCHMARK(BM_ParseShortStatements)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookupLastOfShortStatements)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InihIntoMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetlineIntoUnorderedMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreadAndCountLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseOneBigListValue)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
