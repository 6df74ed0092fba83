// Directory-stored configuration read through nlpainso from an LDIF directory.
#include <gtest/gtest.h>

#include <string>

#include "kelnl/nlerrors.h"
#include "kelnl/nlol.h"
#include "kelnl/nlpa.h"
#include "platform/core/allocator.h"
#include "tests/params/directory_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace kelnl::testing {
namespace {

// Beside the sample home: a profile whose name holds a '/', and a service whose description
// has an address list entry, a protocol stack and security.
constexpr char kExtraEntries[] = R"(
dn: cn=ou/base,cn=home1,dc=example,dc=com
objectClass: Nexaprofile
Nexatracelevelclient: 7

dn: cn=secure,cn=home1,dc=example,dc=com
objectClass: nexaNetServiceAlias
nexaNetDescName: cn=desc1

dn: cn=desc1,cn=secure,cn=home1,dc=example,dc=com
objectClass: nexaNetDescription
nexaNetAddrList: cn=addrs
nexaSid: S1
nexaNetAuthenticationService: kerberos
nexaNetAuthenticationService: radius
nexaNetAuthParams: kerberos_realm=R1

dn: cn=addrs,cn=desc1,cn=secure,cn=home1,dc=example,dc=com
objectClass: nexaNetAddressList
nexaNetAddrList: 0:cn=a1
nexaNetAddrList: 1:cn=a2

dn: cn=a1,cn=addrs,cn=desc1,cn=secure,cn=home1,dc=example,dc=com
objectClass: nexaNetAddress
nexaNetAddressString: (address=(protocol=tcp)(host=x)(port=1))

dn: cn=a2,cn=addrs,cn=desc1,cn=secure,cn=home1,dc=example,dc=com
objectClass: nexaNetAddress
nexaNetProtocolStack: (protocol_stack=(presentation=ttc))
nexaNetSdu: 2048
)";

class DirectoryConfigTest : public DirectoryHome {
 protected:
  void SetUp() override { WriteSampleEntries(kExtraEntries); }
};

// Every kind of object as the parameters it gives. A listener's carry its name, and ordered values
// put its end points in their numbered order, not the stored one. A profile's own values win over
// the shared profile's (kelnet_profile unset: NetProfile), and references are no parameters.
TEST_F(DirectoryConfigTest, ObjectsOfEveryKind) {
  const struct {
    int32_t kind;
    const char* name;
    Params parameters;
  } cases[] = {
      {NLOL_KIND_LISTENER, "LISTENER",
       {{"LISTENER", "(address_list=(ADDRESS=(PROTOCOL=TCP)(HOST=localhost)(PORT=1521))"
                     "(ADDRESS=(PROTOCOL=IPC)(KEY=LISTENER)))"},
        {"inbound_connect_timeout_LISTENER", "60"},
        {"log_directory_LISTENER", "/var/log/kelnl"},
        {"log_file_LISTENER", "listener.log"},
        {"passwords_LISTENER", "a,b"},
        {"save_config_on_stop_LISTENER", "on"},
        {"sid_list_LISTENER", "(sid_list=(sid_desc=(sid_name=SALES)(tarvo_home=/opt/tarvo))"
                              "(sid_desc=(sid_name=HR)(tarvo_home=/opt/tarvo)))"},
        {"trace_level_LISTENER", "16"}}},
      {NLOL_KIND_PROFILE, nullptr,
       {{"brisol.kerberos5_cc_name", "/tmp/krb5cc"},
        {"brisol.kerberos5_conf", "/etc/krb5.conf"},
        {"log_directory_client", "/var/log/clients"},
        {"names.default_domain", "example.com"},
        {"names.directory_path", "(NAMESFILE,HOSTNAME)"},
        {"sqlnet.expire_time", "10"},
        {"trace_directory_client", "/var/trace/clients/with/a/rather/long/directory/name/that/needs/folding"},
        {"trace_level_client", "4"}}},
      {NLOL_KIND_CONNECTION_MANAGER, "CMAN1",
       {{"CMAN1", "(ADDRESS=(PROTOCOL=TCP)(HOST=localhost)(PORT=1630))"},
        {"CMAN1_profile", "(parameter_list=(tracing=admin)(maximum_relays=64)"
                          "(log_directory=/var/log/cman)(remote_admin=yes))"},
        {"CMAN1_rules", "(rule_list=(rule=(src=*)(dst=sales-server)(srv=*)(act=accept))"
                        "(rule=(src=*)(dst=*)(srv=*)(act=reject)))"}}},
      {NLOL_KIND_CONNECTION_MANAGER, "CMAN2",
       {{"CMAN2_profile", "(parameter_list=(relay_statistics=yes)(answer_timeout=10))"}}},
      {NLOL_KIND_SERVICE_NAME, "hr",
       {{"hr", "(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=hr.example.com)(PORT=1521))"
               "(CONNECT_DATA=(SERVICE_NAME=hr.example.com)))"}}},
      {NLOL_KIND_SERVICE_NAME, "sales",
       {{"sales", "(description=(ADDRESS=(PROTOCOL=TCP)(HOST=sales1.example.com)(PORT=1521))"
                  "(ADDRESS=(PROTOCOL=TCP)(HOST=sales2.example.com)(PORT=1521))(load_balance=off)(failover=on)"
                  "(connect_data=(sid=SALES)(service_name=sales.example.com)))"}}},
      {NLOL_KIND_SERVICE_NAME, "secure",
       {{"secure", "(description=(address_list=(address=(protocol=tcp)(host=x)(port=1))"
                   "(protocol_stack=(presentation=ttc))(sdu=2048))(connect_data=(sid=S1))"
                   "(security=(authentication_service=kerberos,radius)(kerberos_realm=R1)))"}}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Load(c.kind, c.name), 0) << c.kind;
    EXPECT_EQ(Table(), c.parameters) << c.kind;
  }
  EXPECT_EQ(Load(NLOL_KIND_SERVICE_NAME, "nosuch"), NLE_PARAM_REFUSED);
}

// A plain name, an entry name (with '=') and a directory path (with '/' and '=') each find
// their profile.
TEST_F(DirectoryConfigTest, ProfileNameFromEnvironment) {
  const struct {
    const char* profile;
    const char* name;
    const char* value;
  } cases[] = {{"SharedProfile", "trace_level_client", "16"},
               {"cn=SharedProfile,cn=home1,dc=example,dc=com", "log_directory_client", "/var/log/clients"},
               {"cn=ou/base,cn=home1,dc=example,dc=com", "trace_level_client", "7"}};
  for (const auto& c : cases) {
    ScopedEnvironment profile("kelnet_profile", c.profile);
    ASSERT_EQ(Load(NLOL_KIND_PROFILE, nullptr), 0) << c.profile;
    EXPECT_EQ(Get(c.name), c.value) << c.profile;
  }
#ifndef _WIN32
  // Windows' C runtime removes a variable set to nothing: only elsewhere can it be set empty.
  ScopedEnvironment profile("kelnet_profile", "");
  EXPECT_EQ(Load(NLOL_KIND_PROFILE, nullptr), NLE_PARAM_REFUSED);
#endif
}

TEST_F(DirectoryConfigTest, PlainProfileNameFallsBackWithoutHome) {
  WriteSampleEntries("\ndn: cn=solo\nobjectClass: Nexaprofile\nNexatracelevelclient: 9\n");
  WriteLdapParameters(
      "net_config_method = ldap\nsystemname_in_dir = dc=example,dc=com\ndirectory_ldif_file = entries.ldif\n");
  ASSERT_EQ(Load(NLOL_KIND_PROFILE_BY_NAME, "cn=solo"), 0);
  EXPECT_EQ(Get("trace_level_client"), "9");
  // Without homeid a listener's entry name cannot be built: nothing to fall back to.
  EXPECT_EQ(Load(NLOL_KIND_LISTENER, "LISTENER"), NLE_PARAM_REFUSED);
}

TEST_F(DirectoryConfigTest, LookupDeliversOneValue) {
  NlPrimaryErrorRecord record{};
  char* value = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(nlpainso(&record, nullptr, NLPA_LOOKUP_MODE, nullptr, "TRACE_LEVEL_LISTENER", 20, &value, &size, 0,
                     nullptr, NLOL_KIND_LISTENER, "LISTENER", &context_),
            0);
  EXPECT_STREQ(value, "16");
  EXPECT_EQ(size, 2u);
  Release(value);

  char buffer[4] = {'x', 'x', 'x', 'x'};
  value = buffer;
  size = 3;
  ASSERT_EQ(nlpainso(&record, nullptr, NLPA_LOOKUP_MODE, nullptr, "passwords_LISTENER", 18, &value, &size, 0,
                     nullptr, NLOL_KIND_LISTENER, "LISTENER", &context_),
            0);
  EXPECT_EQ(std::string(buffer, 4), "a,bx");  // cut to exactly three bytes, no terminator
}

// A reference to an entry that does not exist fails the whole listener, not half of it. (A
// directory that cannot be opened, malformed or unreachable, fails the read the same way.)
TEST_F(DirectoryConfigTest, FailedReadsLeaveTheTableAlone) {
  WriteSampleEntries("\ndn: cn=broken,cn=home1,dc=example,dc=com\nobjectClass: Nexalistener\nNexatracelevel: 4\n"
                     "Nexanetendpointlist: cn=missing\n");
  NlPrimaryErrorRecord record{};
  ASSERT_EQ(nlpains(&record, &table_, NLPA_CREATE_ONLY, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr), 0);
  ASSERT_EQ(nlpassp(&record, table_, 1, "kept", 4, "yes", 3), 0);
  EXPECT_EQ(nlpainso(&record, &table_, 0, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, NLOL_KIND_LISTENER,
                     "broken", &context_),
            NLE_PARAM_REFUSED);
  EXPECT_EQ(Get("trace_level_broken"), "<absent>");
  EXPECT_EQ(Get("kept"), "yes");
}

TEST_F(DirectoryConfigTest, UnreachableServerRefusesTheReadAndLeavesAnEmptyTable) {
  WriteLdapParameters(
      "net_config_method = ldap\nhomeid = home1\nsystemname_in_dir = o=kel\n"
      "directory_backend = ldap\ndirectory_uri = ldap://127.0.0.1:1\n");
  EXPECT_EQ(Load(NLOL_KIND_LISTENER, "LISTENER"), NLE_PARAM_REFUSED);
  ASSERT_NE(table_, nullptr);  // the empty table is still the caller's
  EXPECT_TRUE(Table().empty());
}

TEST_F(DirectoryConfigTest, AllocationFailuresLeaveNothingBehind) {
  // ldap.kel is read once beforehand: a failure there would switch nlpainso to the files.
  char* value = nullptr;
  uint32_t length = 0;
  ASSERT_EQ(nlpagetldparam(&context_, "homeid", 6, 1, &value, &length, 1), 0);
  for (const auto& [kind, name] : {std::pair{NLOL_KIND_LISTENER, "LISTENER"}, std::pair{NLOL_KIND_PROFILE, "NetProfile"},
                                   std::pair{NLOL_KIND_CONNECTION_MANAGER, "CMAN1"},
                                   std::pair{NLOL_KIND_SERVICE_NAME, "secure"}}) {
    const long allocations = SweepAllocationFailures(
        [&, kind = kind, name = name] {
          const int32_t result = Load(kind, name);
          if (!AllocationFailed()) {
            EXPECT_EQ(result, 0) << name;
          } else {
            EXPECT_EQ(result, NLE_PARAM_NO_MEMORY) << name;
          }
        },
        [&] {
          NlPrimaryErrorRecord record{};
          nlpatrm(&record, &table_);
        },
        FailureForm::kBoth);
    EXPECT_GT(allocations, 10) << name;
  }
}

}  // namespace
}  // namespace kelnl::testing
