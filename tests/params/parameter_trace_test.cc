// What the loaders, the directory converters and the checkpoint operations leave in a trace that
// is on.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kelnl/nlckp.h"
#include "kelnl/nlol.h"
#include "kelnl/nlpa.h"
#include "tests/diagnostics/trace_test_support.h"
#include "tests/files/file_test_helpers.h"

namespace kelnl::testing {
namespace {

class TracedOperations : public TraceTest {
 protected:
  void SetUp() override { StartTracedContext(); }
  void TearDown() override {
    nlpatrm(nullptr, &context_->directory_parameters);
    TraceTest::TearDown();
  }
};

TEST_F(TracedOperations, ProtocolFileAndDirectoryObjects) {
  TempDir working;
  const std::string protocol = working.Write("protocol.kel", "a = 1\n");
  NlParameterTable* table = nullptr;
  {
    InDirectory cwd(working.path());
    EXPECT_EQ(nlpaload(context_, &table), 0);
  }
  nlpatrm(nullptr, &table);

  // The directory-access parameters as if read from ldap.kel next to the LDIF file.
  working.Write("entries.ldif", "dn: cn=L,cn=h,o=k\nobjectClass: Nexalistener\nNexatracelevel: 4\n");
  const std::string ldap = working.Write("ldap.kel", "homeid = h\nsystemname_in_dir = o=k\n"
                                                     "directory_ldif_file = entries.ldif\n");
  const NlFileNameDesc desc = DescriptorFor(ldap);
  NlPrimaryErrorRecord record{};
  ASSERT_EQ(nlpains(&record, &context_->directory_parameters, 0, &desc, nullptr, 0, nullptr, nullptr, 0, nullptr),
            0);
  NlolPair** pairs = nullptr;
  uint32_t count = 0;
  ASSERT_EQ(nlolgobj(context_, "L", NLOL_KIND_LISTENER, &pairs, &count), 0);
  EXPECT_EQ(count, 1u);
  nlolfmem(context_, pairs, count);

  EXPECT_EQ(Lines("trace.trc"), (std::vector<std::string>{
                                    "nlpaload: protocol parameters read from " + protocol,
                                    "nlolgobj: entry",
                                    "nlolglist: entry",
                                    "nlolglist: exit, result 0",
                                    "nlolgobj: exit, result 0",
                                }));
}

TEST_F(TracedOperations, CheckpointEntryExitAndTheFileRead) {
  const std::string directory = dir_.path().string();
  NlFileNameDesc desc{};
  desc.explicit_directory = directory.c_str();
  desc.explicit_directory_length = static_cast<uint32_t>(directory.size());
  ASSERT_EQ(nlckpdcf_dump_ckp_file(context_, tables_.front(), &desc, "", 0, 0, 0), 0);
  NlParameterTable* loaded = nullptr;
  ASSERT_EQ(nlckpclp_ckp_load_ptable(context_, &loaded, &desc), 0);
  nlpatrm(nullptr, &loaded);

  const std::string file = directory + static_cast<char>(std::filesystem::path::preferred_separator);
  EXPECT_EQ(Lines("trace.trc"), (std::vector<std::string>{
                                    "nlckpdcf_dump_ckp_file: entry",
                                    "nlckpdcf_dump_ckp_file: exit, result 0",
                                    "nlckpclp_ckp_load_ptable: entry",
                                    "nlckpclp_ckp_load_ptable: checkpoint file " + file + "chkpoint.ckp",
                                    "nlckpclp_ckp_load_ptable: exit, result 0",
                                }));
}

}  // namespace
}  // namespace kelnl::testing
