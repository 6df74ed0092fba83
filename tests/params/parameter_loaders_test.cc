// nlpainso without a directory, nlpaload and nlpagetldparam, and what the loaders leave in a
// trace that is on.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kelnl/nlckp.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nlfn.h"
#include "kelnl/nlpa.h"
#include "tests/diagnostics/trace_test_support.h"
#include "tests/files/file_test_helpers.h"
#include "tests/params/directory_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace kelnl::testing {
namespace {

class ParameterLoadersTest : public DirectoryHome {
 protected:
  // nlpainso of a parameter file and a command-line string, as startup reads them.
  int32_t ReadFileThroughNlpainso() {
    const std::string file = home_.Write("local.kel", "from_file = 1\n");
    const NlFileNameDesc desc = DescriptorFor(file);
    const char* argv[] = {"from_command = 2"};
    NlPrimaryErrorRecord record{};
    nlpatrm(&record, &table_);
    return nlpainso(&record, &table_, 0, &desc, nullptr, 0, nullptr, nullptr, 1, const_cast<char**>(argv),
                    2, nullptr, &context_);
  }
};

TEST_F(ParameterLoadersTest, FilesWithoutDirectoryConfiguration) {
  // First without ldap.kel at all, then with one that names the files.
  for (const char* ldap : {"", "net_config_method = files\n"}) {
    if (*ldap != '\0') WriteLdapParameters(ldap);
    ASSERT_EQ(ReadFileThroughNlpainso(), 0) << ldap;
    EXPECT_EQ(Table(), (Params{{"from_command", "2"}, {"from_file", "1"}})) << ldap;
  }

  // With the directory configured the file and command line are not read.
  WriteLdapParameters("net_config_method = Ldap\ndirectory_ldif_file = none.ldif\n");
  EXPECT_EQ(ReadFileThroughNlpainso(), NLE_PARAM_REFUSED);
  EXPECT_EQ(Get("from_file"), "<absent>");
}

TEST_F(ParameterLoadersTest, CreateOnlyGivesTheEmptyTable) {
  WriteLdapParameters("net_config_method = ldap\n");
  NlPrimaryErrorRecord record{};
  ASSERT_EQ(nlpainso(&record, &table_, NLPA_CREATE_ONLY, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, 1,
                     "LISTENER", &context_),
            0);
  EXPECT_NE(table_, nullptr);
  EXPECT_EQ(nlpainso(&record, nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, 1, "LISTENER",
                     &context_),
            NLE_PARAM_NULL_TABLE);
}

TEST_F(ParameterLoadersTest, DirectoryParametersGetSetRelease) {
  EXPECT_EQ(nlpagetldparam(&context_, nullptr, 0, 0, nullptr, nullptr, 2), 0);  // nothing to release
  char* value = nullptr;
  uint32_t length = 0;
  EXPECT_EQ(nlpagetldparam(&context_, "homeid", 6, 1, &value, &length, 1), NLE_PARAM_FILE_NOT_OPENED);
  EXPECT_EQ(context_.directory_parameters, nullptr);  // a failed read is tried again next time

  WriteLdapParameters("homeid = h1\nlist = (a, b)\n");
  ASSERT_EQ(nlpagetldparam(&context_, "HOMEID", 6, 1, &value, &length, 1), 0);
  EXPECT_EQ(std::string(value, length), "h1");
  ASSERT_EQ(nlpagetldparam(&context_, "list", 4, 2, &value, &length, 1), 0);
  EXPECT_EQ(std::string(value, length), "b");
  char new_value[] = "h2";
  value = new_value;
  length = 2;
  ASSERT_EQ(nlpagetldparam(&context_, "homeid", 6, 0, &value, &length, 3), 0);
  ASSERT_EQ(nlpagetldparam(&context_, "homeid", 6, 1, &value, &length, 1), 0);
  EXPECT_EQ(std::string(value, length), "h2");
  EXPECT_EQ(nlpagetldparam(&context_, "absent", 6, 1, &value, &length, 1), NLE_PARAM_NOT_FOUND);
  EXPECT_EQ(nlpagetldparam(&context_, nullptr, 0, 0, nullptr, nullptr, 2), 0);
  EXPECT_EQ(context_.directory_parameters, nullptr);
  EXPECT_EQ(nlpagetldparam(&context_, "homeid", 6, 1, &value, &length, 7), NLE_PARAM_REFUSED);
}

TEST_F(ParameterLoadersTest, DirectoryParametersReadUnderAllocationFailures) {
  WriteLdapParameters("homeid = h1\nsystemname_in_dir = o=kel\n");
  const long allocations = SweepExpectingCode(
      [&] {
        char* value = nullptr;
        uint32_t length = 0;
        return nlpagetldparam(&context_, "systemname_in_dir", 17, 1, &value, &length, 1);
      },
      NLE_PARAM_NO_MEMORY, [&] { nlpagetldparam(&context_, nullptr, 0, 0, nullptr, nullptr, 2); });
  EXPECT_GT(allocations, 0);
}

// Where the administration file lies (VQT_ADMIN, else the default directory) is the file-name
// layer's order; the loader adds the working directory before it.
TEST_F(ParameterLoadersTest, ProtocolFileFromWorkingDirectoryFirst) {
  TempDir elsewhere;
  elsewhere.Write("protocol.kel", "source = vqt_admin\n");
  TempDir working;
  ScopedEnvironment admin("VQT_ADMIN", elsewhere.path().string().c_str());
  InDirectory cwd(working.path());
  ASSERT_EQ(nlpaload(&context_, &table_), 0);
  EXPECT_EQ(Get("source"), "vqt_admin");

  working.Write("protocol.kel", "source = here\n");
  NlPrimaryErrorRecord record{};
  nlpatrm(&record, &table_);
  ASSERT_EQ(nlpaload(&context_, &table_), 0);
  EXPECT_EQ(Get("source"), "here");
}

// Entry and exit lines of the other operations come from the same tracing, pinned by the address
// traces.
using TracedOperations = TraceTest;

TEST_F(TracedOperations, ProtocolFileAndCheckpointLines) {
  StartTracedContext();
  TempDir working;
  const std::string protocol = working.Write("protocol.kel", "a = 1\n");
  NlParameterTable* table = nullptr;
  {
    InDirectory cwd(working.path());
    EXPECT_EQ(nlpaload(context_, &table), 0);
  }
  nlpatrm(nullptr, &table);
  const std::string directory = dir_.path().string();
  NlFileNameDesc desc{};
  desc.explicit_directory = directory.c_str();
  desc.explicit_directory_length = static_cast<uint32_t>(directory.size());
  const std::string checkpoint = dir_.Write("chkpoint.ckp", "a = 1\n");
  ASSERT_EQ(nlckpclp_ckp_load_ptable(context_, &table, &desc), 0);
  nlpatrm(nullptr, &table);
  EXPECT_EQ(Lines("trace.trc"), (std::vector<std::string>{
                                    "nlpaload: protocol parameters read from " + protocol,
                                    "nlckpclp_ckp_load_ptable: entry",
                                    "nlckpclp_ckp_load_ptable: checkpoint file " + checkpoint,
                                    "nlckpclp_ckp_load_ptable: exit, result 0",
                                }));
}

}  // namespace
}  // namespace kelnl::testing
