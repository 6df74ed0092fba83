// Directory-stored configuration from a private directory server that ldap.kel names with its
// bind name and password. Both backends hand out the same entries (the directory tests compare
// them entry by entry), so one object read both ways shows the wiring.
#include <gtest/gtest.h>

#include <string>

#include "kelnl/nlol.h"
#include "kelnl/nlpa.h"
#include "tests/params/directory_test_support.h"
#include "tests/platform/directory_test_support.h"

namespace kelnl::testing {
namespace {

using DirectoryBackendsTest = DirectoryHome;

TEST_F(DirectoryBackendsTest, ServerGivesTheSameTableAsTheFile) {
  WriteSampleEntries();
  ASSERT_EQ(Load(NLOL_KIND_LISTENER, "LISTENER"), 0);
  const Params from_file = Table();
  const std::string uri = dir::testing::ServerUri();
  if (uri.empty()) GTEST_SKIP() << "no private directory server (KELNL_SLAPD_DIR)";
  WriteLdapParameters("net_config_method = ldap\nhomeid = home1\nsystemname_in_dir = dc=example,dc=com\n"
                      "directory_backend = ldap\ndirectory_uri = " + uri +
                      "\ndirectory_bind_dn = cn=admin,dc=example,dc=com\ndirectory_password = secret\n");
  ASSERT_EQ(Load(NLOL_KIND_LISTENER, "LISTENER"), 0);
  EXPECT_EQ(Table(), from_file);
}

}  // namespace
}  // namespace kelnl::testing
