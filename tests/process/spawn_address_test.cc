// Reading process addresses into spawn records: no process is started here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelnl/nlpc.h"
#include "process/spawn_internal.h"
#include "tests/process/spawn_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace kelnl::testing {
namespace {

std::vector<std::string> Arguments(const NlSpawnRecord& record) {
  std::vector<std::string> arguments;
  for (char** argument = record.argv; argument != nullptr && *argument != nullptr; ++argument) {
    arguments.emplace_back(*argument);
  }
  return arguments;
}

TEST(SpawnAddress, FieldsLandInTheRecord) {
  ReadAddress address("(ADDRESS=(PROGRAM=prog)(TYPE=t1)(IN=i1)(OUT=o1)(TIMEOUT=42)(DETACH=NO)"
                      "(ENV_POLICY=Speci)(PRIVS=(USER=u))(OSDS=(WAIT=1)))");
  ASSERT_EQ(address.status(), 0);
  const NlSpawnRecord& record = address.record();
  EXPECT_STREQ(record.program, "prog");
  EXPECT_EQ(record.program_length, 4u);
  EXPECT_STREQ(record.type, "t1");
  EXPECT_STREQ(record.in, "i1");
  EXPECT_STREQ(record.out, "o1");
  EXPECT_EQ(record.timeout, 42);
  EXPECT_EQ(record.options, NLPC_OPTION_NO_DETACH);
  EXPECT_EQ(record.env_policy, NLPC_ENV_POLICY_SPECIAL);
  EXPECT_NE(record.privs, nullptr);
  EXPECT_NE(record.osds, nullptr);
  EXPECT_EQ(record.argc, 1);
  EXPECT_EQ(Arguments(record), std::vector<std::string>{"prog"});
}

TEST(SpawnAddress, FlagsFollowTheirWords) {
  ReadAddress yes("(ADDRESS=(PROGRAM=p)(DETACH=YES)(ENV_POLICY=N))");
  EXPECT_EQ(yes.record().options, 0);
  EXPECT_EQ(yes.record().env_policy, NLPC_ENV_POLICY_NONE);
  ReadAddress falsely("(ADDRESS=(PROGRAM=p)(DETACH=False)(ENV_POLICY=SPECIALX))");
  EXPECT_EQ(falsely.record().options, NLPC_OPTION_NO_DETACH);
  // Only the first seven characters are compared with SPECIAL.
  EXPECT_EQ(falsely.record().env_policy, NLPC_ENV_POLICY_SPECIAL);
}

TEST(SpawnAddress, ArgumentsSplitAtCommasAndStopAtAnEmptyOne) {
  ReadAddress plain("(ADDRESS=(PROGRAM=p)(ARGS=a,b,c))");
  EXPECT_EQ(plain.record().argc, 4);
  EXPECT_EQ(Arguments(plain.record()), (std::vector<std::string>{"p", "a", "b", "c"}));
  ReadAddress gap("(ADDRESS=(PROGRAM=p)(ARGV0=pX)(ARGS=a,,c))");
  EXPECT_EQ(Arguments(gap.record()), (std::vector<std::string>{"pX", "a"}));
  ReadAddress nameless("(ADDRESS=(ARGS=a))");
  EXPECT_EQ(Arguments(nameless.record()), (std::vector<std::string>{"???", "a"}));
  EXPECT_EQ(nameless.record().program, nullptr);
}

TEST(SpawnAddress, EveryAcceptedFormReadsTheSame) {
  for (const char* text : {"(PROGRAM=(PROGRAM=p))", "(DESCRIPTION=(ADDRESS=(PROGRAM=p)))", "(ADD=(PROGRAM=p))",
                           "(DES=(ADD=(PROGRAM=p)))", "(PROCESS=(PROG=p))"}) {
    ReadAddress address(text);
    ASSERT_EQ(address.status(), 0) << text;
    EXPECT_STREQ(address.record().program, "p") << text;
  }
  ReadAddress empty("(ADDRESS=(HOST=h))");
  EXPECT_EQ(empty.status(), 0);
  EXPECT_EQ(empty.record().buffer, nullptr);
  EXPECT_EQ(nlpcsp(nullptr, "(ADDRESS=(ARGS=a))", 18), 1);
  EXPECT_EQ(nlpcsp(nullptr, "(FOO=(PROGRAM=p))", 17), NLNV_ERROR_NOT_FOUND);
  EXPECT_EQ(nlpcsp(nullptr, "(ADDRESS=", 9), NLNV_ERROR_CLOSE);
}

TEST(SpawnAddress, EnvironmentItemsMayHoldCommas) {
  std::string text = "A=1,2,B=x=y,C=3,tail";
  char* items[8] = {};
  ASSERT_EQ(process::SplitEnvironmentText(text.data(), text.size(), items), 3);
  EXPECT_STREQ(items[0], "A=1,2");
  EXPECT_STREQ(items[1], "B=x=y");
  EXPECT_STREQ(items[2], "C=3");
  // Where the platform keeps the list, the record holds the same items.
  ReadAddress address("(ADDRESS=(PROGRAM=p)(ENVS=" + std::string("A=1,2,B=x=y,C=3,tail") + "))");
  const NlSpawnRecord& record = address.record();
  if (record.envv != nullptr) {
    ASSERT_EQ(record.envc, 3);
    EXPECT_STREQ(record.envv[1], "B=x=y");
    EXPECT_EQ(record.envv[3], nullptr);
  }
}

TEST(SpawnAddress, OverlongEnvironmentIsRefused) {
  std::string text = "(ADDRESS=(PROGRAM=p)(ENVS=A=" + std::string(40000, 'v') + "))";
  ReadAddress address(text);
  char** list = nullptr;
  snlpcgetenvv(&list);
  EXPECT_EQ(address.status(), list != nullptr ? -1 : 0);
}

TEST(SpawnAddress, CallerStorageIsLeftAlone) {
  NlSpawnRecord record{};
  char program[] = "p";
  record.buffer = program;
  record.buffer_size = 2;
  record.env_policy = NLPC_ENV_POLICY_CALLER_STORAGE;
  EXPECT_EQ(nlpcatrm(nullptr, &record), 0);
  EXPECT_EQ(record.buffer, program);
}

TEST(SpawnAddress, TablesAreExported) {
  EXPECT_STREQ(nlpcgptab()[3], "DESCRIPTION/ADDRESS");
  EXPECT_STREQ(nlpcglutab()[5], "ARGS:ARGUMENTS:ARG");
  EXPECT_STREQ(nlpcglutabfc()[11], "(ENV_POLICY=)");
  EXPECT_EQ(nlpcglutabfc()[12], nullptr);
}

TEST(SpawnAddress, AllocationFailuresLeaveNothing) {
  NlnvBinding* binding = nullptr;
  static constexpr char kText[] = "(ADDRESS=(PROGRAM=p)(ARGS=a,b)(ENVS=A=1,B=2)(OSDS=(WAIT=1)))";
  ASSERT_EQ(nlnvcrb(kText, sizeof kText - 1, &binding, nullptr), 0);
  NlSpawnRecord record{};
  SweepExpectingCode([&] { return nlpcaini(nullptr, binding, &record); }, -1,
                     [&] { nlpcatrm(nullptr, &record); });
  nlnvdeb(binding);
}

}  // namespace
}  // namespace kelnl::testing
