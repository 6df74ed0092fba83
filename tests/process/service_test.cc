// Servers started as services, end to end under the POSIX service manager: the helper stands in
// for the listener and reports its ids through the status block and event.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "kelnl/nlpc.h"
#include "process/service_names.h"
#include "process/spawn_internal.h"
#include "tests/process/spawn_test_support.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

std::string ListenerServiceName(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  char base[800];
  process::ListenerServiceBaseName(argv.data(), base, sizeof base);
  return base;
}

// The home name goes in only when the service starts (see ServiceStart below).
TEST(ServiceNames, ListenerNameTakesTheFirstPlainArgument) {
  EXPECT_EQ(ListenerServiceName({"VQTLSNR", "listener", "a=b"}), "TarvoVQTListener");
  EXPECT_EQ(ListenerServiceName({"VQTLSNR", "-opt", "L2"}), "TarvoVQTListener");
  EXPECT_EQ(ListenerServiceName({"VQTLSNR", "a=b", "L3"}), "TarvoVQTListenerL3");
}

TEST(ServiceNames, NamesServerNameComesFromItsParameterFile) {
  TempDir admin;
  admin.Write("NAMES.kel", "names.server_name = ns1\n");
  ScopedEnvironment admin_directory("VQT_ADMIN", admin.path().string().c_str());
  ScopedEnvironment no_home_name("TARVO_HOME_NAME", nullptr);
  std::string program = "NAMES.EXE";
  char* argv[] = {program.data(), nullptr};
  char name[800];
  process::NamesServiceBaseName(argv, name, sizeof name);
  EXPECT_STREQ(name, "TarvoNamesns1");
  ScopedEnvironment elsewhere("VQT_ADMIN", (admin.path() / "absent").string().c_str());
  ScopedEnvironment no_home("TARVO_HOME", nullptr);
  process::NamesServiceBaseName(argv, name, sizeof name);
  EXPECT_STREQ(name, "TarvoNames");
}

// The service branch on Windows needs the service control manager, which Wine does not provide.
#ifndef _WIN32

bool Gone(pid_t pid) {
  for (int attempt = 0; attempt < 500; ++attempt) {
    if (kill(pid, 0) != 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// A home whose BIN directory holds the helper as the listener, and a home name unique to this
// run, so that the service's registration is ours alone; both go again at the end.
class ServiceStart : public ::testing::Test {
 protected:
  ServiceStart()
      : home_name_("K" + std::to_string(getpid())), home_name_variable_("TARVO_HOME_NAME", home_name_.c_str()) {
    home_dir_.Install("BIN", KELNL_SPAWN_HELPER, "VQTLSNR");
  }
  ~ServiceStart() override {
    const std::string registration = "/tmp/kelnl-services-" + std::to_string(getuid()) + "/" + ServiceName();
    std::remove(registration.c_str());
    std::remove((registration + ".pid").c_str());
  }
  std::string ServiceName() const { return "Tarvo" + home_name_ + "VQTListenerL1"; }

  ProductHome home_dir_;
  std::string home_name_;
  ScopedEnvironment home_name_variable_;
};

TEST_F(ServiceStart, ListenerReportsItsIdsAndLeavesNoKernelObjects) {
  ReadAddress named("(ADDRESS=(PROGRAM=VQTLSNR)(ARGS=L1,a=b))");
  ::testing::internal::CaptureStdout();
  ASSERT_EQ(snlpcsp(nullptr, &named.record()), 0);
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("Failed to open service <" + ServiceName() + ">, error 1060.\n"), std::string::npos);
  const auto pid = static_cast<pid_t>(named.record().process_id);
  EXPECT_GT(pid, 0);
  EXPECT_NE(named.record().thread_id, 0u);
  EXPECT_NE(named.record().thread_id, named.record().process_id) << "the id of the service thread";
  EXPECT_EQ(kill(pid, 0), 0);

  std::string lower = ServiceName();
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_LT(shm_open(("/status_" + lower + ".kel").c_str(), O_RDONLY, 0), 0);
  EXPECT_EQ(sem_open(("/event_" + lower + ".kel").c_str(), 0), SEM_FAILED);

  ReadAddress again("(ADDRESS=(PROGRAM=VQTLSNR)(ARGS=L1))");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(snlpcsp(nullptr, &again.record()), -1);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Service " + ServiceName() + " already running.\n");

  kill(pid, SIGTERM);
  EXPECT_TRUE(Gone(pid));
}

TEST_F(ServiceStart, ServiceThatEndsWithoutReportingFails) {
  ReadAddress address("(ADDRESS=(PROGRAM=VQTLSNR)(ARGS=L1,silent))");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(snlpcsp(nullptr, &address.record()), -1);
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(address.record().process_id, 0u);
}

#endif

}  // namespace
}  // namespace kelnl::testing
