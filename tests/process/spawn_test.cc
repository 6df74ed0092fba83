// Spawning real programs: the helper program reports what it was started with.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "kelnl/nlpc.h"
#include "tests/process/spawn_test_support.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

#ifdef _WIN32
constexpr char kHelperFile[] = "spawn_helper.exe";
#else
constexpr char kHelperFile[] = "spawn_helper";
#endif

// A product home whose bin directory holds the helper, as TARVO_HOME for the test.
class SpawnTest : public ::testing::Test {
 protected:
  SpawnTest() { home_dir_.Install("bin", KELNL_SPAWN_HELPER, kHelperFile); }

  std::string ReportPath() const { return home_dir_.File("report.txt"); }

  // Waits for the helper's report: it runs detached, so nothing else says when it is done.
  std::string WaitForReport() const {
    for (int attempt = 0; attempt < 500; ++attempt) {
      std::ifstream file(ReportPath());
      std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
      if (text.find("\narg ") != std::string::npos && text.back() == '\n') return text;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
  }

  ProductHome home_dir_;
};

TEST_F(SpawnTest, HelperGetsPidInstanceNameAndArguments) {
  ReadAddress address("(ADDRESS=(PROGRAM=spawn_helper)(ARGV0=spawn_helperINST)(ARGS=" + ReportPath() +
                      ",x,y)(ENVS=KELNL_SPAWN_PROBE=42))");
  ASSERT_EQ(address.status(), 0);
  ASSERT_EQ(snlpcsp(nullptr, &address.record()), 0);
  const std::string report = WaitForReport();
  EXPECT_NE(report.find("pid " + std::to_string(address.record().process_id) + "\n"), std::string::npos) << report;
  EXPECT_NE(report.find("sid INST\n"), std::string::npos) << report;
  EXPECT_NE(report.find("arg spawn_helperINST\narg " + ReportPath() + "\narg x\narg y\n"), std::string::npos)
      << report;
  char** own = nullptr;
  snlpcgetenvv(&own);
  // The address's environment reaches programs only where the platform keeps it.
  EXPECT_NE(report.find(own != nullptr ? "probe 42\n" : "probe (unset)\n"), std::string::npos) << report;
}

TEST_F(SpawnTest, WithoutInstanceNameTheEnvironmentIsInherited) {
  ScopedEnvironment sid("TARVO_SID", "outer");
  // The first argument must not hold the program's name, or what follows it (even nothing) is
  // the instance name.
  const std::string text = "(PROGRAM=(PROGRAM=spawn_helper)(ARGV0=helper)(ARGS=" + ReportPath() + "))";
  EXPECT_EQ(nlpcsp(nullptr, text.c_str(), static_cast<uint32_t>(text.size())), 0);
  const std::string report = WaitForReport();
  EXPECT_NE(report.find("sid outer\n"), std::string::npos) << report;
}

TEST_F(SpawnTest, FailuresStartNothing) {
  // The last: programs of the product word need the spawning library, which this home lacks.
  for (const std::string& text :
       {std::string("(ADDRESS=(PROGRAM=no_such_program))"), "(ADDRESS=(PROGRAM=" + std::string(NLPC_MAX_PROGRAM_LENGTH, 'p') + "))",
        "(ADDRESS=(PROGRAM=spawn_helper)(ARGS=" + ReportPath() + "," + std::string(40000, 'a') + "))",
        std::string("(ADDRESS=(PROGRAM=tarvoX))")}) {
    EXPECT_EQ(nlpcsp(nullptr, text.c_str(), static_cast<uint32_t>(text.size())), 1) << text.substr(0, 40);
  }
  {
    ScopedEnvironment no_home("TARVO_HOME", nullptr);
    EXPECT_EQ(nlpcsp(nullptr, "(ADDRESS=(PROGRAM=spawn_helper))", 32), 1);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(std::filesystem::exists(ReportPath()));
}

TEST_F(SpawnTest, AllocationFailuresSpawnOnlyWhenNothingFailed) {
  // The environment list and the operating-system block give reading its every allocation too.
  const std::string text = "(ADDRESS=(PROGRAM=spawn_helper)(ARGV0=spawn_helperS)(ARGS=" + ReportPath() +
                           ",z)(ENVS=A=1,B=2)(OSDS=(WAIT=1)))";
  SweepExpectingCode([&] { return nlpcsp(nullptr, text.c_str(), static_cast<uint32_t>(text.size())) == 0 ? 0 : 1; },
                     1);
  EXPECT_NE(WaitForReport().find("sid S\n"), std::string::npos);
}

}  // namespace
}  // namespace kelnl::testing
