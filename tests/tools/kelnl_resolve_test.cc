// kelnl resolve, run as a user would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/test_files.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

struct Outcome {
  int status = -1;
  std::string out;
};

class KelnlResolve : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "the program is driven through a POSIX shell";
#endif
  }

  Outcome Resolve(const std::string& arguments) {
    const std::string command = std::string("'") + KELNL_TOOL_PATH + "' resolve " + arguments + " >'" +
                                dir_.File("out") + "' 2>/dev/null";
    Outcome run;
    [[maybe_unused]] const int raw = std::system(command.c_str());
#ifndef _WIN32
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    run.out = dir_.Read("out");
    return run;
  }

  kelnl::testing::TempDir dir_;
};

const std::string kList =
    "'(DESCRIPTION_LIST=(DESCRIPTION=(ADDRESS=(HOST=a))(ADDRESS=(HOST=b)))(DESCRIPTION=(ADDRESS=(HOST=c))))'";

TEST_F(KelnlResolve, PrintsEachCallUntilNothingIsLeft) {
  const Outcome in_order = Resolve("--options 8 " + kList);
  EXPECT_EQ(in_order.status, 0);
  EXPECT_EQ(in_order.out,
            "connect: (DESCRIPTION=(ADDRESS=(HOST=a)))\nforward: (DESCRIPTION=(ADDRESS=(HOST=a)))\n"
            "connect: (DESCRIPTION=(ADDRESS=(HOST=b)))\nforward: (DESCRIPTION=(ADDRESS=(HOST=b)))\n"
            "connect: (DESCRIPTION=(ADDRESS=(HOST=c)))\nforward: (DESCRIPTION=(ADDRESS=(HOST=c)))\n"
            "result: 4\n");
  const Outcome limited = Resolve("--calls 5 '(ADDRESS=(HOST=a))'");
  EXPECT_EQ(limited.out,
            "connect: (ADDRESS=(HOST=a))\nforward: (ADDRESS=(HOST=a))\nresult: 4\nresult: 4\nresult: 4\nresult: 4\n");
  const Outcome refused = Resolve("'(CONNECT_DATA=(SID=x))'");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "result: 4\n");
  EXPECT_EQ(Resolve("--calls x '(ADDRESS=(HOST=a))'").status, 2);
  EXPECT_EQ(Resolve("no_such_service").status, 1);
  EXPECT_EQ(Resolve("--multi '(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=tcp)(HOST=a))))'").out,
            "entry: (DESCRIPTION=(ADDRESS=(PROTOCOL=tcp)(HOST=a)))\naddress: (ADDRESS=(PROTOCOL=tcp)(HOST=a))\n"
            "result: 3\n");
}

TEST_F(KelnlResolve, SeedGivesARepeatableOrder) {
  for (const char* mode : {"", "--multi "}) {
    const Outcome first = Resolve(std::string(mode) + "--seed 77 " + kList);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(Resolve(std::string(mode) + "--seed 77 " + kList).out, first.out);
  }
}

}  // namespace
