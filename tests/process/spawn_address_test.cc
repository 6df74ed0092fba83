// Reading process addresses into spawn records: no process is started here.
#include <gtest/gtest.h>

#include <string>

#include "kelnl/nlpc.h"
#include "tests/process/spawn_test_support.h"

namespace kelnl::testing {
namespace {

// The record as one line, so that a case states everything it expects in one text.
std::string Describe(const NlSpawnRecord& record) {
  auto text = [](const char* field) { return field == nullptr ? std::string("-") : std::string(field); };
  std::string line = text(record.program) + "/" + std::to_string(record.program_length) + " type=" +
                     text(record.type) + " in=" + text(record.in) + " out=" + text(record.out) +
                     " timeout=" + std::to_string(record.timeout) + " options=" +
                     std::to_string(record.options) + " env=" + std::to_string(record.env_policy) +
                     (record.privs != nullptr ? " privs" : "") + (record.osds != nullptr ? " osds" : "") +
                     " argc=" + std::to_string(record.argc) + " argv=";
  for (char** argument = record.argv; argument != nullptr && *argument != nullptr; ++argument) {
    line += std::string(argument == record.argv ? "" : ",") + *argument;
  }
  return line;
}

TEST(SpawnAddress, FieldsFlagsAndArgumentsLandInTheRecord) {
  const struct {
    const char* text;
    const char* record;
  } cases[] = {
      {"(ADDRESS=(PROGRAM=prog)(TYPE=t1)(IN=i1)(OUT=o1)(TIMEOUT=42)(DETACH=NO)(ENV_POLICY=Speci)"
       "(PRIVS=(USER=u))(OSDS=(WAIT=1)))",
       "prog/4 type=t1 in=i1 out=o1 timeout=42 options=1 env=2 privs osds argc=1 argv=prog"},
      {"(ADDRESS=(PROGRAM=p)(DETACH=YES)(ENV_POLICY=N))", "p/1 type=- in=- out=- timeout=0 options=0 env=1 argc=1 argv=p"},
      // Only the first seven characters are compared with SPECIAL.
      {"(ADDRESS=(PROGRAM=p)(DETACH=False)(ENV_POLICY=SPECIALX))",
       "p/1 type=- in=- out=- timeout=0 options=1 env=2 argc=1 argv=p"},
      {"(ADDRESS=(PROGRAM=p)(ARGS=a,b,c))", "p/1 type=- in=- out=- timeout=0 options=0 env=0 argc=4 argv=p,a,b,c"},
      // An empty argument ends the list; argc still counts the commas.
      {"(ADDRESS=(PROGRAM=p)(ARGV0=pX)(ARGS=a,,c))",
       "p/1 type=- in=- out=- timeout=0 options=0 env=0 argc=4 argv=pX,a"},
      {"(ADDRESS=(ARGS=a))", "-/0 type=- in=- out=- timeout=0 options=0 env=0 argc=2 argv=???,a"},
  };
  for (const auto& c : cases) {
    ReadAddress address(c.text);
    ASSERT_EQ(address.status(), 0) << c.text;
    EXPECT_EQ(Describe(address.record()), c.record) << c.text;
  }
}

// The accepted paths are a table; a few of its forms stand for it.
TEST(SpawnAddress, AcceptedFormsReadTheSame) {
  for (const char* text : {"(PROGRAM=(PROGRAM=p))", "(DES=(ADD=(PROGRAM=p)))", "(PROCESS=(PROG=p))"}) {
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

TEST(SpawnAddress, EnvironmentItemsMayHoldCommasAndHaveALimit) {
  // Only where the platform keeps the list does the record hold the items; there it refuses an
  // overlong one. A piece without '=' continues the item before it, but a last one is dropped.
  char** own = nullptr;
  snlpcgetenvv(&own);
  ReadAddress address("(ADDRESS=(PROGRAM=p)(ENVS=A=1,2,B=x=y,C=3,tail))");
  const NlSpawnRecord& record = address.record();
  if (own != nullptr) {
    ASSERT_EQ(record.envc, 3);
    EXPECT_STREQ(record.envv[0], "A=1,2");
    EXPECT_STREQ(record.envv[1], "B=x=y");
    EXPECT_STREQ(record.envv[2], "C=3");
    EXPECT_EQ(record.envv[3], nullptr);
  }
  ReadAddress overlong("(ADDRESS=(PROGRAM=p)(ENVS=A=" + std::string(40000, 'v') + "))");
  EXPECT_EQ(overlong.status(), own != nullptr ? -1 : 0);
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
  EXPECT_EQ(nlpcglutabfc()[12], nullptr);
}

}  // namespace
}  // namespace kelnl::testing
