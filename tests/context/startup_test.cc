// Starting and stopping the library in a temporary product home: the sources, the failure codes
// and their texts, the holds, the teardown and the startup report.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nlpa.h"
#include "kelnl/nlstd.h"
#include "tests/context/startup_support.h"
#include "tests/support/alloc_sweep.h"

namespace kelnl::testing {
namespace {

constexpr std::uint32_t kSystemOnly = NLSTD_READ_SYSTEM_FILE | NLSTD_OPEN_LOG;

class Startup : public ::testing::Test {
 protected:
  void TearDown() override {
    while (context_ != nullptr) nlstdtrm(&context_);
    NlGlobalContext* record = nullptr;
    snlstdini(&record);
    const NlGlobalContext zero{};
    EXPECT_EQ(std::memcmp(record, &zero, sizeof zero), 0) << "the record is not empty again";
  }

  std::int32_t Start(NlStartupParameters* block) {
    error_[0] = 'x';
    return nlstdgg(&context_, block, error_, sizeof error_, &error_length_);
  }
  std::string ErrorText() const { return std::string(error_, error_length_); }
  std::string Parameter(const char* name) {
    char* value = nullptr;
    std::uint32_t length = 0;
    if (nlpagsp(nullptr, context_->parameters, name, static_cast<std::uint32_t>(std::strlen(name)), 0, &value,
                &length) != 0)
      return "<none>";
    return std::string(value, length);
  }

  ProductHome home_;
  NlGlobalContext* context_ = nullptr;
  char error_[2048] = {};
  std::size_t error_length_ = 0;
};

// The failure releases only its own hold: nothing of the failed startup stays in the record.
TEST_F(Startup, MissingSystemFileFailsUnlessTheCommandLineIncludesOne) {
  NlGlobalContext* holder = nullptr;
  nlstdini(&holder);
  NlStartupParameters block = StartupBlock(kSystemOnly | NLSTD_READ_COMMAND_LINE);
  EXPECT_EQ(Start(&block), NLE_PARAMETER_FILE_ERROR);
  EXPECT_EQ(context_, nullptr);
  EXPECT_NE(ErrorText().find("NL-00462: error in parameter file " + home_.SystemFile()), std::string::npos)
      << ErrorText();
  EXPECT_EQ(std::strlen(error_), error_length_);
  EXPECT_EQ(block.system_status, NLSTD_STATUS_NOT_READ);
  EXPECT_EQ(holder->reference_count, 1);
  EXPECT_EQ(holder->primary_errors, nullptr);
  EXPECT_EQ(holder->error_stack, nullptr);
  EXPECT_EQ(holder->message_facility, nullptr);
  nlstdtrm(&holder);

  const std::string included = home_.Write("site.kel", "expire_time = 10\n");
  const std::string command_line = "ifile = " + included + "\nconnect_timeout = 30\n";
  block.cmdline_text = command_line.data();
  block.cmdline_length = static_cast<std::uint32_t>(command_line.size());
  ASSERT_EQ(Start(&block), 0) << ErrorText();
  EXPECT_EQ(error_[0], '\0') << "a success leaves an empty text";
  EXPECT_EQ(block.cmdline_status, NLSTD_STATUS_READ);
  EXPECT_EQ(std::string(block.third_name, block.third_name_length), included);
}

// Unforgiven, a syntax error fails the startup as the missing file above does.
TEST_F(Startup, ForgivenSyntaxErrorKeepsTheGoodParameters) {
  home_.Write("network/admin/brisol.kel", "good = 1\nbad = (\n  unclosed\nlater = 2\n");
  NlStartupParameters block = StartupBlock(kSystemOnly | NLSTD_SOURCE_ERRORS_FORGIVEN);
  ASSERT_EQ(Start(&block), 0) << ErrorText();
  EXPECT_EQ(block.system_status, NLSTD_STATUS_READ_WITH_ERRORS);
  EXPECT_EQ(Parameter("good"), "1");
  EXPECT_EQ(std::string(block.system_name, block.system_name_length), home_.SystemFile());
}

// An absent local file is no failure: the report test starts without one.
TEST_F(Startup, LocalFileOverridesTheSystemFile) {
  home_.Write("network/admin/brisol.kel", "expire_time = 10\nport = 1521\n");
  NlStartupParameters block = StartupBlock(kSystemOnly | NLSTD_READ_LOCAL_FILE);
  const std::string local = home_.Write("local.kel", "port = 1600\n");
  block.local_file = DescriptorFor(local);
  ASSERT_EQ(Start(&block), 0) << ErrorText();
  EXPECT_EQ(block.local_status, NLSTD_STATUS_READ);
  EXPECT_EQ(std::string(block.local_name, block.local_name_length), local);
  EXPECT_EQ(Parameter("port"), "1600");
  EXPECT_EQ(Parameter("expire_time"), "10");
}

TEST_F(Startup, UnwritableLogFailsAndTheTraceAndTheFallbackLogGetTheText) {
  home_.Write("network/admin/brisol.kel", "trace_level_client = user\ntrace_directory_client = " + home_.File("trace") +
                                              "\nlog_directory_client = " + home_.File("no/such/directory") + "\n");
  NlStartupParameters block = StartupBlock(kSystemOnly | NLSTD_OPEN_TRACE);
  EXPECT_EQ(Start(&block), NLE_LOG_FAILED);
  EXPECT_EQ(context_, nullptr);
  const std::string text = "NL-00280: cannot open log file " + home_.File("no/such/directory/client.log");
  EXPECT_NE(ErrorText().find(text), std::string::npos) << ErrorText();
  EXPECT_NE(home_.Read("trace/client.trc").find(text), std::string::npos) << "the trace opened first has it too";

  // nlstdggo writes the text into the default log before it tears the context down.
  EXPECT_EQ(nlstdggo(&context_, &block, error_, sizeof error_, &error_length_, 2, nullptr), NLE_LOG_FAILED);
  EXPECT_EQ(context_, nullptr);
  const std::string fallback = home_.Read("network/log/client.log");
  EXPECT_NE(fallback.find(text), std::string::npos) << fallback;
}

TEST_F(Startup, LogReportAndTraceNameTheSourcesAndTheParametersInUse) {
  home_.Write("network/admin/brisol.kel", "log_file_client = report\ntrace_level_client = user\n"
                                          "trace_directory_client = " + home_.File("trace") +
                                              "\ntrace_file_client = startup\nport = 1521\n");
  NlStartupParameters block = StartupBlock(kSystemOnly | NLSTD_WRITE_BANNER | NLSTD_OPEN_TRACE | NLSTD_READ_LOCAL_FILE);
  ASSERT_EQ(Start(&block), 0) << ErrorText();
  EXPECT_EQ(std::string(block.trace_name, block.trace_name_length), home_.File("trace/startup.trc"));
  nlstdtrm(&context_);
  const std::string log = home_.Read("network/log/report.log");
  // Line ends are the platform's: the log is a text file.
  EXPECT_NE(log.find("System parameter file:  " + home_.SystemFile()), std::string::npos) << log;
  EXPECT_NE(log.find("Log file:              " + home_.File("network/log/report.log")), std::string::npos) << log;
  EXPECT_EQ(log.find("Local parameter file"), std::string::npos) << "not read, not reported";
  const std::string trace = home_.Read("trace/startup.trc");
  std::size_t at = 0;
  for (const std::string& line :
       std::vector<std::string>{"system pfile: " + home_.SystemFile(), "  read", "local pfile: ", "  not read",
                                "parameters in use:", "port = 1521", "end of parameters"}) {
    at = trace.find(line, at);
    ASSERT_NE(at, std::string::npos) << line << " missing or out of order in\n" << trace;
  }
}

TEST_F(Startup, DirectoryConfigurationReplacesTheFiles) {
  ScopedEnvironment profile("kelnet_profile", nullptr);
  home_.Write("network/admin/brisol.kel", "port = 1521\n");
  home_.Write("network/admin/entries.ldif",
              "dn: cn=NetProfile,cn=home1,o=kel\nobjectClass: Nexaprofile\nNexatracelevelclient: 16\n");
  home_.Write("network/admin/ldap.kel",
              "net_config_method = LDAP\nhomeid = home1\nsystemname_in_dir = o=kel\ndirectory_backend = ldif\n"
              "directory_ldif_file = entries.ldif\n");
  NlStartupParameters block = StartupBlock(kSystemOnly);
  ASSERT_EQ(nlstdggo(&context_, &block, error_, sizeof error_, &error_length_, 2, "NetProfile"), 0) << ErrorText();
  EXPECT_EQ(Parameter("trace_level_client"), "16");
  EXPECT_EQ(Parameter("port"), "<none>") << "the files are not read";
  EXPECT_EQ(block.system_status, NLSTD_STATUS_NOT_READ);
  EXPECT_NE(context_->directory_parameters, nullptr);
  nlstdtrm(&context_);

  // nlstdgg reaches the directory through the loader of its system file step.
  ASSERT_EQ(Start(&block), 0) << ErrorText();
  EXPECT_EQ(Parameter("trace_level_client"), "16");
  EXPECT_EQ(Parameter("port"), "<none>");
  EXPECT_EQ(block.system_status, NLSTD_STATUS_READ);
}

TEST_F(Startup, ReReadingTheSourcesInstallsOnlyAGoodTable) {
  home_.Write("network/admin/brisol.kel", "port = 1521\n");
  NlStartupParameters block = StartupBlock(kSystemOnly);
  ASSERT_EQ(Start(&block), 0);
  home_.Write("network/admin/brisol.kel", "port = 1600\n");
  EXPECT_EQ(nlstdap(context_, &block), 0);
  EXPECT_EQ(Parameter("port"), "1600");

  home_.Write("network/admin/brisol.kel", "port = (\n  broken\n");
  EXPECT_EQ(nlstdap(context_, &block), NLE_PARAMETER_FILE_ERROR);
  EXPECT_EQ(Parameter("port"), "1600") << "the previous table stays";
  char text[512];
  std::size_t length = 0;
  ASSERT_EQ(nlerbem(context_->error_stack, 1, text, sizeof text, &length), 0);
  EXPECT_NE(std::string(text, length).find("NL-00462: error in parameter file " + home_.SystemFile()),
            std::string::npos);
}

// A second startup of a running context adds a hold and reads nothing again; the network
// teardown runs once, at the last release, after the trace is closed.
TEST_F(Startup, RepeatedStartupsAddHoldsAndTheLastReleaseTearsDown) {
  static std::vector<NlGlobalContext*> calls;
  calls.clear();
  const NlNetworkTeardown previous = nlstdregtrm([](NlGlobalContext* context) {
    EXPECT_EQ(context->trace, nullptr);
    EXPECT_NE(context->error_stack, nullptr);
    calls.push_back(context);
  });
  home_.Write("network/admin/brisol.kel", "port = 1521\n");
  NlStartupParameters block = StartupBlock(kSystemOnly);
  ASSERT_EQ(Start(&block), 0);
  NlGlobalContext* first = context_;
  NlParameterTable* table = context_->parameters;
  NlGlobalContext* second = nullptr;
  ASSERT_EQ(nlstdgg(&second, &block, nullptr, 0, nullptr), 0);
  EXPECT_EQ(second, first);
  EXPECT_EQ(second->parameters, table);
  EXPECT_EQ(first->reference_count, 2);

  nlstdstp(second);
  EXPECT_EQ(second, first) << "the caller's own variable keeps its value";
  EXPECT_EQ(first->reference_count, 1);
  EXPECT_TRUE(calls.empty());
  nlstdtrm(&context_);
  EXPECT_EQ(calls, std::vector<NlGlobalContext*>{first});
  EXPECT_NE(nlstdregtrm(previous), nullptr);
}

TEST_F(Startup, ServerDefaultsReadTheSystemFileWithoutBannerOrLocks) {
  // A server starts without its system file: the sources' errors are forgiven.
  ASSERT_EQ(nlstdgo(&context_, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, error_, sizeof error_, &error_length_), 0);
  nlstdtrm(&context_);

  home_.Write("network/admin/brisol.kel", "port = 1521\n");
  ASSERT_EQ(nlstdgo(&context_, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, error_, sizeof error_, &error_length_), 0);
  EXPECT_EQ(context_->thread_context, nullptr);
  EXPECT_NE(context_->log_stream, nullptr);
  EXPECT_EQ(Parameter("port"), "1521");
  nlstdtrm(&context_);
  EXPECT_FALSE(std::filesystem::exists(home_.File("network/log/brisol.log"))) << "no banner, nothing written";
}

TEST_F(Startup, ResultTextIsCutToTheCapacity) {
  char buffer[4] = {'-', '-', '-', '-'};
  NlResultBuffer result{buffer, 3, 0, 0};
  EXPECT_EQ(nlstreturn("abcdef", 6, &result), 3);
  EXPECT_EQ(std::string(buffer, 4), "abc-") << "no terminator";
  EXPECT_EQ(result.length, 3u);
  EXPECT_EQ(result.truncated, 1u);
  EXPECT_EQ(nlstreturn("xyz", 3, &result), 3);
  EXPECT_EQ(result.truncated, 0u) << "exactly the capacity is not cut";
}

TEST_F(Startup, EveryAllocationFailureEndsCleanly) {
  home_.Write("network/admin/brisol.kel", "port = 1521\nnames = (a, b)\nlog_file_client = sweep\n");
  std::set<std::int32_t> codes;
  const long allocations = SweepAllocationFailures(
      [&] {
        NlStartupParameters block = StartupBlock(kSystemOnly | NLSTD_WRITE_BANNER);
        const std::int32_t result = nlstdgg(&context_, &block, error_, sizeof error_, &error_length_);
        if (result != 0) {
          EXPECT_TRUE(AllocationFailed());
          EXPECT_EQ(context_, nullptr);
          codes.insert(result);
        }
      },
      [&] {
        if (context_ != nullptr) nlstdtrm(&context_);
      },
      FailureForm::kBoth);
  EXPECT_GT(allocations, 10);
  RecordProperty("allocations", static_cast<int>(allocations));
  // Memory for the startup record, the message facility, the error stack, the date facility, the
  // descriptor; then every parameter source failure is the file's.
  EXPECT_EQ(codes, (std::set<std::int32_t>{1, NLE_NO_MEMORY, 701, NLE_STARTUP_DATE_FAILED, NLE_PARAMETER_FILE_ERROR,
                                           NLE_LOG_FAILED}));
}

}  // namespace
}  // namespace kelnl::testing
