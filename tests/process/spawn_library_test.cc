// Programs of the product word and the threaded agent go through the spawning library's entry.
#include <gtest/gtest.h>

#include <string>

#include "kelnl/nlpc.h"
#include "tests/process/spawn_test_support.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

#ifdef _WIN32
constexpr char kLibraryFile[] = "KELSPAWN.DLL";
#else
constexpr char kLibraryFile[] = "libkelspawn.so";
#endif

class SpawnLibrary : public ::testing::Test {
 protected:
  SpawnLibrary() : report_("KELNL_SPAWN_LIBRARY_REPORT", home_dir_.File("report").c_str()) {
    home_dir_.Install("bin", KELNL_SPAWN_LIBRARY_STUB, kLibraryFile);
  }

  ProductHome home_dir_;
  ScopedEnvironment report_;
};

TEST_F(SpawnLibrary, ProductProgramsHideTheirInstanceName) {
  ReadAddress address("(ADDRESS=(PROGRAM=tarvoX)(ARGV0=tarvoXabc)(ARGS=p,q))");
  ASSERT_EQ(snlpcsp(nullptr, &address.record()), 0);
  EXPECT_EQ(address.record().process_id, 4242u);
  EXPECT_EQ(address.record().thread_id, 4343u);
  EXPECT_EQ(home_dir_.Read("report"), "[tarvoX    p q] [abc]");
  ReadAddress failing("(ADDRESS=(PROGRAM=TARVOfail))");
  EXPECT_EQ(snlpcsp(nullptr, &failing.record()), -1);
}

TEST_F(SpawnLibrary, ThreadedAgentGetsTheHomeNameInLowerCase) {
  ScopedEnvironment threaded("KEL_EXTPROC_THREADED", "true");
  ScopedEnvironment home_name("TARVO_HOME_NAME", "HomeA");
  ReadAddress address("(ADDRESS=(PROGRAM=extproc)(ARGV0=extprocZ))");
  ASSERT_EQ(snlpcsp(nullptr, &address.record()), 0);
  EXPECT_EQ(home_dir_.Read("report"), "[extprocZ] [homeaz]");
}

#ifndef _WIN32
// qlbxsrv runs as threads of one server process, which the helper plays here.
TEST_F(SpawnLibrary, ServerThreadsShareOneServerProcess) {
  home_dir_.Install("bin", KELNL_SPAWN_HELPER, "qlbxsrv");
  home_dir_.Install("bin", KELNL_QLBXDATA_STUB, "libqlbxdata.so");
  ReadAddress first("(ADDRESS=(PROGRAM=qlbxsrv))");
  ASSERT_EQ(snlpcsp(nullptr, &first.record()), 0);
  ReadAddress second("(ADDRESS=(PROGRAM=QLBXSRV))");
  ASSERT_EQ(snlpcsp(nullptr, &second.record()), 0);
  EXPECT_EQ(first.record().process_id, second.record().process_id);
  EXPECT_NE(first.record().thread_id, second.record().thread_id);
  EXPECT_NE(first.record().thread_id, first.record().process_id);
}
#endif

}  // namespace
}  // namespace kelnl::testing
