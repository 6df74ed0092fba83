// The cost of starting the library on the example product home and tearing it down again: with
// the client trace (its ring of three files, the first records and the trace of the sources)
// and the log, and with the parameter files alone.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "kelnl/nlstd.h"

namespace {

namespace fs = std::filesystem;

// The example home with the build's message files, and the directories its trace and log go to.
class ExampleHome {
 public:
  ExampleHome() : root_(fs::temp_directory_path() / "kelnl_startup_bench") {
    fs::remove_all(root_);
    fs::create_directories(root_ / "trace");
    fs::create_directories(root_ / "log");
    fs::copy(KELNL_BENCH_BUILD_HOME, root_, fs::copy_options::recursive);
    fs::copy(KELNL_BENCH_EXAMPLE_HOME, root_, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    setenv("TARVO_HOME", root_.string().c_str(), 1);
    unsetenv("VQT_ADMIN");
    // The site file is included relative to the current directory, as the components read it.
    fs::current_path(root_ / "network" / "admin");
    // The same file names every time: a unique name would leave a new ring behind per start.
    command_line_ = "trace_directory_client = " + (root_ / "trace").string() +
                    "\nlog_directory_client = " + (root_ / "log").string() + "\ntrace_unique_client = off\n";
  }
  ~ExampleHome() { fs::remove_all(root_); }

  NlStartupParameters Block(bool with_trace) const {
    NlStartupParameters block{};
    block.flags = NLSTD_READ_SYSTEM_FILE | NLSTD_READ_COMMAND_LINE | NLSTD_READ_LOCAL_FILE;
    if (with_trace) block.flags |= NLSTD_OPEN_TRACE | NLSTD_OPEN_LOG;
    block.cmdline_text = command_line_.data();
    block.cmdline_length = static_cast<std::uint32_t>(command_line_.size());
    block.trace_file_parameter = "trace_file_client";
    block.trace_directory_parameter = "trace_directory_client";
    block.trace_unique_parameter = "trace_unique_client";
    block.trace_level_parameter = "trace_level_client";
    block.trace_file_count_parameter = "trace_fileno_client";
    block.trace_file_length_parameter = "trace_filelen_client";
    block.log_directory_parameter = "log_directory_client";
    block.local_file.base_name = "bench_local";
    block.local_file.base_name_length = 11;
    block.trace_file.base_name = "bench";
    block.trace_file.base_name_length = 5;
    block.log_file.base_name = "bench";
    block.log_file.base_name_length = 5;
    block.log_file.extension = "log";
    block.log_file.extension_length = 3;
    return block;
  }

 private:
  fs::path root_;
  std::string command_line_;
};

void StartAndStop(benchmark::State& state, bool with_trace) {
  ExampleHome home;
  for (auto _ : state) {
    NlStartupParameters block = home.Block(with_trace);
    NlGlobalContext* context = nullptr;
    char error[1024];
    if (nlstdgg(&context, &block, error, sizeof error, nullptr) != 0) {
      state.SkipWithError(error);
      break;
    }
    nlstdtrm(&context);
  }
}

void BM_StartupToFirstTraceRecordAndTeardown(benchmark::State& state) { StartAndStop(state, true); }
void BM_StartupParameterFilesOnlyAndTeardown(benchmark::State& state) { StartAndStop(state, false); }

BENCHMARK(BM_StartupToFirstTraceRecordAndTeardown)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StartupParameterFilesOnlyAndTeardown)->Unit(benchmark::kMicrosecond);

}  // namespace
