// Opening the process's trace at startup: where the trace goes, the ring of cyclic files, keeping
// the trace on a reopening, and forgiven failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "diagnostics/trace_close.h"
#include "diagnostics/trace_open.h"
#include "tests/diagnostics/trace_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace kelnl::testing {
namespace {

class TraceOpening : public TraceTest {
 protected:
  void SetUp() override {
    StartContext();
    block_.flags = NLSTD_OPEN_TRACE;
    block_.trace_file_parameter = "trace_file";
    block_.trace_directory_parameter = "trace_directory";
    block_.trace_level_parameter = "trace_level";
    block_.trace_events_parameter = "trace_events";
    block_.trace_filters_parameter = "trace_filters";
    block_.trace_file_count_parameter = "trace_file_count";
    block_.trace_time_stamp_parameter = "trace_timestamp";
    block_.trace_secondary_level_parameter = "trace_secondary";
    block_.trace_file_length_parameter = "trace_file_length";
  }
  void TearDown() override {
    CloseTrace();
    TraceTest::TearDown();
  }

  void CloseTrace() {
    if (context_ != nullptr) diagnostics::CloseProcessTrace(context_);
  }

  std::int32_t Open(const std::string& parameters) {
    context_->parameters = Parameters("trace_directory = " + dir_.path().string() + "\n" + parameters);
    results_ = NlStartupResults{};
    return nldtopen(context_, &block_, &results_);
  }

  std::uintmax_t Size(const std::string& file) const { return std::filesystem::file_size(dir_.File(file)); }
  std::string Name() const { return std::string(block_.trace_name, block_.trace_name_length); }

  NlStartupParameters block_{};
  NlStartupResults results_{};
};

TEST_F(TraceOpening, ThreeFilesOfTenKilobytesMakeARing) {
  static const char kProduct[] = "Kelnet";
  static const char kYear[] = "2026";
  block_.flags |= NLSTD_WRITE_BANNER;
  block_.banner[0] = reinterpret_cast<uintptr_t>(kProduct);
  block_.banner[1] = 6;
  block_.banner[2] = 0x08100400;
  block_.banner[4] = reinterpret_cast<uintptr_t>(kYear);
  block_.banner[5] = 4;
  ASSERT_EQ(Open("trace_level = support\ntrace_file_count = 3\ntrace_file_length = 10\ntrace_timestamp = on\n"), 0);
  NlTraceContext* trace = context_->trace;
  ASSERT_NE(trace, nullptr);
  EXPECT_EQ(std::make_pair(trace->file_count, trace->file_length), std::make_pair(3, 10));
  EXPECT_NE(trace->flags & NLDT_FLAG_TIME_STAMPS, 0);
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"parameters.kel", "brisol1.trc", "brisol2.trc", "brisol3.trc"}));
  EXPECT_EQ(Name(), dir_.File("brisol1.trc"));
  EXPECT_EQ(std::string(results_.trace_name), dir_.File("brisol.trc")) << "the name the opening resolved";

  NlDiagStream* first = trace->stream;
  NlDiagStream* stream = first;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(stream->trace, trace);
    EXPECT_EQ(stream->sequence, 1);
    EXPECT_NE(stream->state & NLDS_STATE_CYCLING, 0);
    EXPECT_EQ(stream->options & NLDS_OPTION_RING_MEMBER, i == 0 ? 0u : NLDS_OPTION_RING_MEMBER);
    stream = stream->next;
  }
  EXPECT_EQ(stream, first) << "the last file points back to the first";

  const std::string opening = dir_.Read("brisol1.trc");
  EXPECT_NE(opening.find(": Version 8.1.0.4.0 - Production on "), std::string::npos) << "the banner first";
  EXPECT_NE(opening.find("trace file: " + dir_.File("brisol1.trc")), std::string::npos);
}

TEST_F(TraceOpening, OneFileWrapsAndACountWithoutALengthDoesNothing) {
  ASSERT_EQ(Open("trace_level = 4\ntrace_file_count = 3\n"), 0);
  EXPECT_EQ(context_->trace->file_count, 1);
  EXPECT_EQ(context_->trace->stream->state & NLDS_STATE_CYCLING, 0);
  CloseTrace();

  ASSERT_EQ(Open("trace_level = 4\ntrace_file_count = 1\ntrace_file_length = 1\n"), 0);
  NlTraceContext* trace = context_->trace;
  const std::string text(90, 'w');
  for (int i = 0; i < 100; ++i) ASSERT_EQ(nldtr4(nullptr, trace, "wrap", "%s\n", text.c_str()), 0);
  EXPECT_LE(Size("brisol.trc"), 1024u - 400u + 200u);
  EXPECT_GT(trace->stream->sequence, 5) << "each wrap starts the next cycle";
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"parameters.kel", "brisol.trc"}));
}

// The log's opening shares the reading of the file name: it tests a refused terminal.
TEST_F(TraceOpening, TtyIsStandardOutput) {
  ASSERT_EQ(Open("trace_file = TTY\n"), 0);
  EXPECT_EQ(context_->trace->stream->kind, NLDS_KIND_STANDARD_OUTPUT);
  EXPECT_EQ(Name(), "standard output");
}

TEST_F(TraceOpening, ReopeningTheSameFileKeepsTheStreamAndReappliesTheParameters) {
  ASSERT_EQ(Open("trace_level = user\ntrace_file = kept\n"), 0);
  NlTraceContext* trace = context_->trace;
  NlDiagStream* kept = trace->stream;
  ASSERT_EQ(Open("trace_level = admin\ntrace_file = kept\ntrace_secondary = 3\n"), 0);
  EXPECT_EQ(context_->trace, trace);
  EXPECT_EQ(trace->stream, kept);
  EXPECT_EQ(trace->level, 6);
  EXPECT_EQ(trace->secondary_level, 3u);
  EXPECT_EQ(Lines("kept.trc").size(), 8u) << "the file was never truncated: both openings' records";

  ASSERT_EQ(Open("trace_level = user\ntrace_file = other\ntrace_file_count = 2\ntrace_file_length = 4\n"), 0);
  EXPECT_EQ(context_->trace, trace);
  EXPECT_EQ(Name(), dir_.File("other1.trc"));
  EXPECT_EQ(Lines("kept.trc").size(), 8u);

  // Once the ring has moved on, the same parameters build it again over the files of the old one.
  const std::string text(100, 'o');
  while (trace->stream->options == 0) ASSERT_EQ(nldtr4(nullptr, trace, "ring", "%s\n", text.c_str()), 0);
  ASSERT_EQ(Open("trace_level = user\ntrace_file = other\ntrace_file_count = 2\ntrace_file_length = 4\n"), 0);
  EXPECT_EQ(trace->file_count, 2);
  EXPECT_EQ(Lines("other1.trc").size(), 4u) << "only the records of the new opening";
  EXPECT_EQ(Size("other2.trc"), 0u);
}

TEST_F(TraceOpening, FailuresAreReturnedOrForgivenAndAnIncompleteRingIsUndone) {
  const std::string missing = "trace_level = user\ntrace_directory = " + dir_.File("no/such/dir") + "\n";
  EXPECT_EQ(Open(missing), NLE_TRACE_OPEN_FAILED);
  EXPECT_EQ(context_->trace, nullptr);
  EXPECT_EQ(results_.trace_code, NLE_TRACE_OPEN_FAILED);
  EXPECT_GT(results_.trace_errors.count, 0);
  EXPECT_EQ(block_.trace_name_length, 0u);

  block_.flags |= NLSTD_TRACE_ERRORS_FORGIVEN;
  EXPECT_EQ(Open(missing), 0);
  EXPECT_EQ(Slots(results_.trace_errors), "") << "forgiven errors leave no record";
  EXPECT_EQ(results_.trace_errors.os_error.operation, 0u);

  // A directory where the third file belongs stops the ring after its second file.
  std::filesystem::create_directory(dir_.File("brisol3.trc"));
  ASSERT_EQ(Open("trace_level = user\ntrace_file_count = 3\ntrace_file_length = 10\n"), 0);
  NlDiagStream* first = context_->trace->stream;
  EXPECT_EQ(context_->trace->file_count, 1);
  EXPECT_EQ(first->next, nullptr);
  EXPECT_EQ(first->state & (NLDS_STATE_CYCLING | NLDS_STATE_OPEN), NLDS_STATE_OPEN);
  EXPECT_EQ(Name(), dir_.File("brisol1.trc")) << "the first file keeps its new name";
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"parameters.kel", "brisol1.trc", "brisol3.trc"}));
  EXPECT_GT(results_.trace_errors.count, 0) << "reported, though not returned";
}

TEST_F(TraceOpening, AnExternalTraceThatCannotStartFailsTheOpeningUnforgiven) {
  ScopedEnvironment network("NETWORK", dir_.path().string().c_str());
  block_.flags |= NLSTD_TRACE_ERRORS_FORGIVEN | NLSTD_TTY_NOT_TERMINAL | 0x1000u;
  // The external trace writes beside its configuration file, in a directory not made yet.
  EXPECT_EQ(Open("use_ztrace = on\ntrace_level = user\n"), NLE_TRACE_REGISTER_CONFIG);
  EXPECT_EQ(block_.flags, NLSTD_OPEN_TRACE | NLSTD_TTY_NOT_TERMINAL);
  ASSERT_NE(context_->trace, nullptr) << "the internal trace stays in place";
  EXPECT_EQ(Name(), dir_.File("brisol.trc"));

  std::filesystem::create_directory(dir_.File("admin"));
  block_.flags |= NLSTD_TRACE_ERRORS_FORGIVEN;
  ASSERT_EQ(Open("use_ztrace = on\ntrace_level = user\n"), 0);
  EXPECT_EQ(context_->trace->mode, NLDT_MODE_EXTERNAL);
  EXPECT_EQ(Size("brisol.trc"), 0u) << "the first records went to the external trace";
}

TEST_F(TraceOpening, RunningOutOfMemoryLeavesNothingBehind) {
  const std::string first = "trace_level = user\ntrace_file_count = 3\ntrace_file_length = 10\n";
  const std::string second = "trace_level = admin\ntrace_file = other\ntrace_file_count = 2\ntrace_file_length = 4\n";
  // A first opening of each splits the parameter lists and registers what stays for the process.
  ASSERT_EQ(Open(first), 0);
  NlParameterTable* first_table = context_->parameters;
  ASSERT_EQ(Open(second), 0);
  NlParameterTable* second_table = context_->parameters;
  CloseTrace();
  const long allocations = SweepAllocationFailures(
      [&] {
        // A first opening, then a reopening on other files that replaces its ring.
        context_->parameters = first_table;
        const std::int32_t opened = nldtopen(context_, &block_, &results_);
        EXPECT_EQ(opened != 0, opened != 0 && context_->trace == nullptr) << "a failed first opening leaves none";
        context_->parameters = second_table;
        const std::int32_t reopened = nldtopen(context_, &block_, &results_);
        if (!AllocationFailed()) {
          EXPECT_EQ(opened, 0);
          EXPECT_EQ(reopened, 0);
          EXPECT_EQ(context_->trace->file_count, 2);
        }
        if (context_->trace != nullptr) {
          EXPECT_NE(context_->trace->stream, nullptr);
        }
      },
      [&] { CloseTrace(); }, FailureForm::kBoth);
  EXPECT_GT(allocations, 10);
}

}  // namespace
}  // namespace kelnl::testing
