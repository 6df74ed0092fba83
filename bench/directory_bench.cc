// The LDIF backend: loading a file of many entries, and reading one entry by name from it (an
// index lookup, so the time should not grow with the number of entries).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/dir/directory.h"

namespace {

std::string EntryName(long i) { return "cn=LISTENER" + std::to_string(i) + ",cn=home1,dc=example,dc=com"; }

// A file of count listener entries, each with the attributes a listener entry typically has.
std::string MakeFile(long count) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("kelnl_directory_bench_" + std::to_string(count) + ".ldif")).string();
  std::ofstream out(path, std::ios::binary);
  for (long i = 0; i < count; ++i) {
    out << "dn: " << EntryName(i) << "\nobjectClass: top\nobjectClass: Nexalistener\ncn: LISTENER" << i
        << "\nNexanetendpointlist: 0:cn=tcp\nNexanetendpointlist: 1:cn=ipc\nNexatracelevel: 16\n"
        << "Nexapasswords: a\nNexapasswords: b\nNexalogfile:: bGlzdGVuZXIubG9n\n"
        << "Nexatracedirectory: /var/trace/listeners/with/a/rather/long/directory/name/that/is/fol\n ded\n\n";
  }
  return path;
}

void BM_OpenLdif(benchmark::State& state) {
  const std::string path = MakeFile(state.range(0));
  const kelnl::dir::DirectorySettings settings{"ldif", path.c_str(), nullptr, nullptr, nullptr, nullptr};
  for (auto _ : state) {
    kelnl::dir::Directory* directory = nullptr;
    if (kelnl::dir::DirectoryOpen(settings, &directory) != 0) state.SkipWithError("open failed");
    kelnl::dir::DirectoryClose(&directory);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
  std::filesystem::remove(path);
}
BENCHMARK(BM_OpenLdif)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ReadEntry(benchmark::State& state) {
  const std::string path = MakeFile(state.range(0));
  const kelnl::dir::DirectorySettings settings{"ldif", path.c_str(), nullptr, nullptr, nullptr, nullptr};
  kelnl::dir::Directory* directory = nullptr;
  if (kelnl::dir::DirectoryOpen(settings, &directory) != 0) state.SkipWithError("open failed");
  const std::string name = EntryName(state.range(0) / 2);
  const char* const table[] = {"objectclass", "Nexanetendpointlist", "Nexatracelevel", "Nexapasswords", nullptr};
  char known_name[512];
  std::uint32_t length = 0;
  for (auto _ : state) {
    kelnl::dir::DirectoryResult* result = nullptr;
    kelnl::dir::DirectoryReadEntry(directory, name.c_str(), "Nexalistener", table, 0, &result, known_name,
                                   sizeof known_name, &length);
    char** values = nullptr;
    kelnl::dir::DirectoryGetValues(directory, result, "Nexapasswords", &values);
    benchmark::DoNotOptimize(values);
    kelnl::dir::DirectoryReleaseResult(directory, &result);
  }
  kelnl::dir::DirectoryClose(&directory);
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadEntry)->Arg(100)->Arg(10000)->Arg(100000);

}  // namespace
