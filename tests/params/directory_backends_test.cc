// The sample home of examples/directory read through both directory backends: the LDIF file
// and a private directory server loaded from the same file give the same parameter tables. What
// each object converts to is the business of the configuration tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "kelnl/nlol.h"
#include "kelnl/nlpa.h"
#include "tests/params/directory_test_support.h"

namespace kelnl::testing {
namespace {

constexpr char kHomeParameters[] =
    "net_config_method = ldap\nhomeid = home1\nsystemname_in_dir = dc=example,dc=com\n";

struct SampleObject {
  int32_t kind;
  const char* name;
};
constexpr SampleObject kSampleObjects[] = {
    {NLOL_KIND_LISTENER, "LISTENER"},           {NLOL_KIND_PROFILE, "NetProfile"},
    {NLOL_KIND_CONNECTION_MANAGER, "CMAN1"},    {NLOL_KIND_CONNECTION_MANAGER, "CMAN2"},
    {NLOL_KIND_SERVICE_NAME, "sales"},          {NLOL_KIND_SERVICE_NAME, "hr"},
};

class DirectoryBackendsTest : public DirectoryHome {
 protected:
  // False when no private server runs for this test.
  bool UseServer() {
    const char* folder = std::getenv("KELNL_SLAPD_DIR");
    std::ifstream uri_file(std::string(folder != nullptr ? folder : "") + "/uri");
    std::string uri;
    if (folder == nullptr || !std::getline(uri_file, uri)) return false;
    WriteLdapParameters(std::string(kHomeParameters) + "directory_backend = ldap\ndirectory_uri = " + uri +
                        "\ndirectory_bind_dn = cn=admin,dc=example,dc=com\ndirectory_password = secret\n");
    return true;
  }
};

TEST_F(DirectoryBackendsTest, ServerGivesTheSameTables) {
  std::map<std::string, std::map<std::string, std::string>> from_file;
  WriteSampleEntries();
  for (const auto& object : kSampleObjects) {
    ASSERT_EQ(Load(object.kind, object.name), 0) << object.name;
    from_file[object.name] = Table();
    EXPECT_FALSE(from_file[object.name].empty()) << object.name;
  }
  if (!UseServer()) GTEST_SKIP() << "no private directory server (KELNL_SLAPD_DIR)";
  for (const auto& object : kSampleObjects) {
    ASSERT_EQ(Load(object.kind, object.name), 0) << object.name;
    EXPECT_EQ(Table(), from_file[object.name]) << object.name;
  }
}

}  // namespace
}  // namespace kelnl::testing
