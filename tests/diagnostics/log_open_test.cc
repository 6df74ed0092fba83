// Opening the log at startup: the switch, the terminal, the test open, keeping the previous log.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "diagnostics/log_open.h"
#include "tests/diagnostics/trace_test_support.h"

namespace kelnl::testing {
namespace {

class LogOpening : public TraceTest {
 protected:
  void SetUp() override {
    StartContext();
    block_.flags = NLSTD_OPEN_LOG;
    block_.log_file_parameter = "log_file";
    block_.log_directory_parameter = "log_directory";
    block_.log_switch_parameter = "logging";
  }
  void TearDown() override {
    if (context_ != nullptr && context_->log_stream != nullptr) {
      EXPECT_EQ(nldsdestroy(nullptr, &context_->log_stream), 0);
    }
    TraceTest::TearDown();
  }

  std::int32_t Open(const std::string& parameters) {
    context_->parameters = Parameters(parameters);
    results_ = NlStartupResults{};
    return nldlopen(context_, &block_, &results_);
  }
  std::string LogIn(const std::string& file) {
    return "log_directory = " + dir_.path().string() + "\nlog_file = " + file + "\n";
  }

  NlStartupParameters block_{};
  NlStartupResults results_{};
};

TEST_F(LogOpening, OpensKeepsAndReplacesTheLog) {
  block_.flags = 0;
  EXPECT_EQ(Open(LogIn("first")), 0);
  EXPECT_EQ(context_->log_stream, nullptr) << "not requested";
  EXPECT_EQ(block_.log_status, NLSTD_STATUS_NOT_READ);

  block_.flags = NLSTD_OPEN_LOG;
  EXPECT_EQ(Open(LogIn("first")), 0);
  NlDiagStream* first = context_->log_stream;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(block_.log_status, 0);
  EXPECT_EQ(std::string(block_.log_name, block_.log_name_length), dir_.File("first.log"));
  EXPECT_EQ(first->options & NLDS_OPTION_APPEND, NLDS_OPTION_APPEND);
  EXPECT_EQ(first->state & NLDS_STATE_OPEN, 0) << "its first write opens it";

  EXPECT_EQ(Open(LogIn("first")), 0);
  EXPECT_EQ(context_->log_stream, first) << "the same file keeps the open log";

  EXPECT_EQ(Open(LogIn("second")), 0);
  EXPECT_EQ(std::string(block_.log_name), dir_.File("second.log"));
  EXPECT_EQ(std::string(results_.log_name), dir_.File("second.log"));
}

TEST_F(LogOpening, AFileThatCannotBeOpenedKeepsThePreviousLog) {
  ASSERT_EQ(Open(LogIn("kept")), 0);
  NlDiagStream* kept = context_->log_stream;
  const std::string missing = "log_directory = " + dir_.File("no/such/dir") + "\nlog_file = lost\n";
  EXPECT_EQ(Open(missing), NLE_LOG_OPEN_FAILED);
  EXPECT_EQ(results_.log_code, NLE_LOG_OPEN_FAILED);
  EXPECT_EQ(context_->log_stream, kept);
  EXPECT_EQ(std::string(block_.log_name), dir_.File("kept.log"));
  EXPECT_EQ(Slots(results_.log_errors), "278/1/4");
  EXPECT_EQ(results_.log_errors.os_facility, 3);
  EXPECT_NE(results_.log_errors.os_error.operation, 0u) << "the file layer's detail";

  block_.flags |= NLSTD_NO_LOG_TEST_OPEN;
  EXPECT_EQ(Open(missing), 0) << "without the test open the failure shows at the first write";
  EXPECT_NE(context_->log_stream, kept);
  EXPECT_NE(nldsfprintf(nullptr, context_->log_stream, "x\n"), 0);
}

TEST_F(LogOpening, TtyIsTheTerminalUnlessRefused) {
  EXPECT_EQ(Open("log_file = TtY\n"), 0);
  ASSERT_NE(context_->log_stream, nullptr);
  EXPECT_EQ(context_->log_stream->kind, NLDS_KIND_STANDARD_OUTPUT);
  EXPECT_EQ(std::string(block_.log_name), "standard output");

  block_.flags |= NLSTD_TTY_NOT_TERMINAL | NLSTD_NO_LOG_TEST_OPEN;
  EXPECT_EQ(Open("log_file = tty\n"), 0);
  EXPECT_EQ(context_->log_stream->kind, NLDS_KIND_FILE);
  const std::string name(block_.log_name);
  EXPECT_EQ(name.substr(name.size() - 10), "brisol.log") << "the default name: " << name;
}

TEST_F(LogOpening, TheSwitchDropsTheLogAndTheTraceFollowsEachStep) {
  NlTraceContext* trace = Trace("level = user\n");
  ASSERT_NE(trace, nullptr);
  context_->trace = trace;
  ASSERT_EQ(Open(LogIn("first")), 0);
  ASSERT_EQ(Open(LogIn("second")), 0);
  EXPECT_EQ(Open("logging = off\n"), 0);
  EXPECT_EQ(context_->log_stream, nullptr);
  EXPECT_EQ(block_.log_name_length, 0u);
  EXPECT_EQ(block_.log_name[0], '\0');
  EXPECT_EQ(Open("logging = off\n"), 0);
  EXPECT_EQ(Open(LogIn("again") + "logging = on\n"), 0);
  EXPECT_NE(context_->log_stream, nullptr);
  context_->trace = nullptr;

  // Each step leaves a record of its own in the trace.
  const std::vector<std::string> lines = Lines("trace.trc");
  for (const std::string& step : std::vector<std::string>{
           "nldlopen: previous log replaced", "nldlopen: logging switched off; the previous log is closed",
           "nldlopen: logging switched off", "nldlopen: new log file " + dir_.File("again.log")}) {
    EXPECT_EQ(std::count(lines.begin(), lines.end(), step), 1) << step;
  }
}

}  // namespace
}  // namespace kelnl::testing
