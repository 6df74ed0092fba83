// The sample home of examples/directory read through both directory backends: the LDIF file
// and a private directory server loaded from the same file give the same parameter tables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "kelnl/nlol.h"
#include "kelnl/nlpa.h"
#include "tests/params/directory_test_support.h"

namespace kelnl::testing {
namespace {

using Table = std::map<std::string, std::string>;

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
  // The sample is copied beside ldap.kel and named relative to it: the build tree's path is no
  // absolute name to a Windows program.
  void UseLdifFile() {
    std::filesystem::copy_file(KELNL_DIRECTORY_EXAMPLES "/home1.ldif", home_.path() / admin_ / "home1.ldif",
                               std::filesystem::copy_options::overwrite_existing);
    WriteLdapParameters(std::string(kHomeParameters) + "directory_backend = ldif\ndirectory_ldif_file = home1.ldif\n");
  }

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

  Table LoadTable(const SampleObject& object) {
    Table table;
    EXPECT_EQ(Load(object.kind, object.name), 0) << object.name;
    NlPrimaryErrorRecord record{};
    int32_t state = 0;
    char* name = nullptr;
    char* value = nullptr;
    while (nlpaseq(&record, table_, &state, &name, &value) == 0 && state != 0) table[name] = value;
    return table;
  }
};

TEST_F(DirectoryBackendsTest, SampleHomeFromTheLdifFile) {
  UseLdifFile();
  const Table listener = LoadTable({NLOL_KIND_LISTENER, "LISTENER"});
  EXPECT_EQ(listener.at("trace_level_LISTENER"), "16");
  EXPECT_EQ(listener.at("passwords_LISTENER"), "a,b");
  EXPECT_EQ(listener.at("log_file_LISTENER"), "listener.log");
  EXPECT_EQ(listener.at("inbound_connect_timeout_LISTENER"), "60");
  EXPECT_EQ(listener.at("LISTENER"),
            "(address_list=(ADDRESS=(PROTOCOL=TCP)(HOST=localhost)(PORT=1521))"
            "(ADDRESS=(PROTOCOL=IPC)(KEY=LISTENER)))");

  const Table profile = LoadTable({NLOL_KIND_PROFILE, "NetProfile"});
  EXPECT_EQ(profile.at("trace_level_client"), "4");
  EXPECT_EQ(profile.at("names.default_domain"), "example.com");
  EXPECT_EQ(profile.at("log_directory_client"), "/var/log/clients");
  EXPECT_EQ(profile.at("names.directory_path"), "(NAMESFILE,HOSTNAME)");
  EXPECT_EQ(profile.at("brisol.kerberos5_cc_name"), "/tmp/krb5cc");

  const Table cman = LoadTable({NLOL_KIND_CONNECTION_MANAGER, "CMAN1"});
  EXPECT_EQ(cman.at("CMAN1_rules"),
            "(rule_list=(rule=(src=*)(dst=sales-server)(srv=*)(act=accept))(rule=(src=*)(dst=*)(srv=*)(act=reject)))");
  EXPECT_EQ(cman.at("CMAN1_profile"),
            "(parameter_list=(tracing=admin)(maximum_relays=64)(log_directory=/var/log/cman)(remote_admin=yes))");
  EXPECT_EQ(LoadTable({NLOL_KIND_CONNECTION_MANAGER, "CMAN2"}).count("CMAN2_rules"), 0u);

  EXPECT_EQ(LoadTable({NLOL_KIND_SERVICE_NAME, "sales"}).at("sales"),
            "(description=(ADDRESS=(PROTOCOL=TCP)(HOST=sales1.example.com)(PORT=1521))"
            "(ADDRESS=(PROTOCOL=TCP)(HOST=sales2.example.com)(PORT=1521))(load_balance=off)(failover=on)"
            "(connect_data=(sid=SALES)(service_name=sales.example.com)))");
}

TEST_F(DirectoryBackendsTest, ServerGivesTheSameTables) {
  std::map<std::string, Table> from_file;
  UseLdifFile();
  for (const auto& object : kSampleObjects) from_file[object.name] = LoadTable(object);
  if (!UseServer()) GTEST_SKIP() << "no private directory server (KELNL_SLAPD_DIR)";
  for (const auto& object : kSampleObjects) {
    EXPECT_FALSE(from_file[object.name].empty()) << object.name;
    EXPECT_EQ(LoadTable(object), from_file[object.name]) << object.name;
  }
}

}  // namespace
}  // namespace kelnl::testing
