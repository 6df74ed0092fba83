// What the loaders and the directory converters leave in a trace that is on.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kelnl/nlol.h"
#include "kelnl/nlpa.h"
#include "tests/diagnostics/trace_test_support.h"

namespace kelnl::testing {
namespace {

class TracedLoaders : public TraceTest {
 protected:
  void SetUp() override {
    StartContext();
    context_->trace = Trace("level = 16\n");
    ASSERT_NE(context_->trace, nullptr);
    context_->trace->stream->trace = context_->trace;
  }
  void TearDown() override {
    context_->trace = nullptr;  // the fixture owns it
    nlpatrm(nullptr, &context_->directory_parameters);
    TraceTest::TearDown();
  }
};

TEST_F(TracedLoaders, ProtocolFileAndDirectoryObjects) {
  TempDir working;
  const std::string protocol = working.Write("protocol.kel", "a = 1\n");
  const auto old_directory = std::filesystem::current_path();
  std::filesystem::current_path(working.path());
  NlParameterTable* table = nullptr;
  EXPECT_EQ(nlpaload(context_, &table), 0);
  std::filesystem::current_path(old_directory);
  nlpatrm(nullptr, &table);

  // The directory-access parameters as if read from ldap.kel next to the LDIF file.
  working.Write("entries.ldif", "dn: cn=L,cn=h,o=k\nobjectClass: Nexalistener\nNexatracelevel: 4\n");
  const std::string ldap = working.Write("ldap.kel", "homeid = h\nsystemname_in_dir = o=k\n"
                                                     "directory_ldif_file = entries.ldif\n");
  NlFileNameDesc desc{};
  desc.base_name = ldap.c_str();
  desc.base_name_length = static_cast<uint32_t>(ldap.size());
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

}  // namespace
}  // namespace kelnl::testing
