// File-name construction runs for every parameter, trace and log file a component opens; the
// must-exist case pays one existence probe per location tried.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "kelnl/nlfn.h"

namespace {

NlFileNameDesc Describe(const std::string& directory, std::uint32_t flags) {
  NlFileNameDesc desc{};
  desc.first_component = "NETWORK";
  desc.first_component_length = 7;
  desc.second_component = "ADMIN";
  desc.second_component_length = 5;
  desc.explicit_directory = directory.empty() ? nullptr : directory.data();
  desc.explicit_directory_length = static_cast<std::uint32_t>(directory.size());
  desc.base_name = "brisol";
  desc.base_name_length = 6;
  desc.extension = "kel";
  desc.extension_length = 3;
  desc.flags = flags;
  return desc;
}

void Construct(benchmark::State& state, const NlFileNameDesc& desc) {
  char buffer[512];
  std::uint32_t length = 0;
  NlOsErrorRecord record{};
  for (auto _ : state) {
    benchmark::DoNotOptimize(nlfncons(&record, &desc, buffer, sizeof buffer, &length));
    benchmark::DoNotOptimize(buffer);
  }
}

void ExplicitDirectory(benchmark::State& state) {
  const std::string directory = "/var/lib/product/network/admin";
  Construct(state, Describe(directory, 0));
}
BENCHMARK(ExplicitDirectory);

void DefaultDirectory(benchmark::State& state) {
  setenv("TARVO_HOME", "/opt/product/home", 1);
  Construct(state, Describe("", 0));
  unsetenv("TARVO_HOME");
}
BENCHMARK(DefaultDirectory);

// The file is absent from the explicit directory and present in the default one: two probes.
void MustExistSecondLocation(benchmark::State& state) {
  const auto home = std::filesystem::temp_directory_path() / "kelnl-file-name-bench";
  std::filesystem::create_directories(home / "network" / "admin");
  std::ofstream(home / "network" / "admin" / "brisol.kel") << "x";
  setenv("TARVO_HOME", home.c_str(), 1);
  Construct(state, Describe((home / "absent").string(), NLFN_MUST_EXIST));
  unsetenv("TARVO_HOME");
  std::filesystem::remove_all(home);
}
BENCHMARK(MustExistSecondLocation);

void SplitAndRelease(benchmark::State& state) {
  const char path[] = "/opt/product/home/network/admin/brisol.kel";
  NlOsErrorRecord record{};
  NlFileNameDesc desc;
  for (auto _ : state) {
    nlfninit(&record, &desc, path, sizeof path - 1);
    nlfndstry(&desc);
  }
}
BENCHMARK(SplitAndRelease);

}  // namespace
