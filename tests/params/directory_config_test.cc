// Directory-stored configuration read through nlpainso from an LDIF directory.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "kelnl/nlerrors.h"
#include "kelnl/nlol.h"
#include "kelnl/nlpa.h"
#include "platform/core/allocator.h"
#include "tests/params/directory_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace kelnl::testing {
namespace {

constexpr char kEntries[] = R"(dn: cn=LISTENER,cn=home1,o=kel
objectClass: Nexalistener
Nexatracelevel: 16
Nexapasswords: a
Nexapasswords: b
Nexasidlist: (sid_desc=(sid_name=s1))
Nexasidlist: (sid_desc=(sid_name=s2))
Nexanetparamlist: startup_wait_time=3
Nexanetendpointlist: 1:cn=second
Nexanetendpointlist: 0:cn=first

dn: cn=first,cn=LISTENER,cn=home1,o=kel
objectClass: nexaNetAddress
nexaNetAddressString: (address=(protocol=tcp)(host=h1)(port=1521))

dn: cn=second,cn=LISTENER,cn=home1,o=kel
objectClass: nexaNetAddress
nexaNetAddressString: (address=(protocol=ipc)(key=k))

dn: cn=base,cn=home1,o=kel
objectClass: Nexaprofile
Nexatracelevelclient: 4
Nexatracefileclient: base.trc
Nexanamesdirectorypath: tnsnames
Nexanamesdirectorypath: ldap

dn: cn=NetProfile,cn=home1,o=kel
objectClass: Nexaprofile
Nexasharedprofile: cn=base,cn=home1,o=kel
Nexatracelevelclient: 16
Nexabrisolcrypckscli: accepted
Nexanetparamlist: sqlnet.extra=on=1
Nexaauthlist: cn=auth1

dn: cn=auth1,cn=NetProfile,cn=home1,o=kel
objectClass: Nexaauthparameters
Nexaauthenticationtype: kerberos
Nexaauthparams: kerberos_realm=R1

dn: cn=cman,cn=home1,o=kel
objectClass: Nexaconnectionmanager
Nexatracelevel: 6
Nexamaximumrelays: 8
Nexanetparamlist: x=1
Nexanetendpointlist: cn=first,cn=LISTENER,cn=home1,o=kel
Nexarule: rules

dn: cn=rules,cn=cman,cn=home1,o=kel
objectClass: Nexaconnectionmanagerrules
Nexarule1: (rule=(src=a)(dst=b))
Nexarule2: (rule=(src=c)(dst=d))

dn: cn=plaincman,cn=home1,o=kel
objectClass: Nexaconnectionmanager
Nexamaximumrelays: 2

dn: cn=sales,cn=home1,o=kel
objectClass: nexaNetServiceAlias
nexaNetDescName: cn=desc1

dn: cn=desc1,cn=sales,cn=home1,o=kel
objectClass: nexaNetDescription
nexaNetAddrList: cn=addrs
nexaSid: S1
nexaNetServiceName: sales.kel
nexaNetAuthenticationService: kerberos
nexaNetAuthenticationService: radius
nexaNetAuthParams: kerberos_realm=R1
nexaNetLoadBalance: on
nexaNetFailover: on

dn: cn=addrs,cn=desc1,cn=sales,cn=home1,o=kel
objectClass: nexaNetAddressList
nexaNetAddrList: 0:cn=a1
nexaNetAddrList: 1:cn=a2

dn: cn=a1,cn=addrs,cn=desc1,cn=sales,cn=home1,o=kel
objectClass: nexaNetAddress
nexaNetAddressString: (address=(protocol=tcp)(host=x)(port=1))

dn: cn=a2,cn=addrs,cn=desc1,cn=sales,cn=home1,o=kel
objectClass: nexaNetAddress
nexaNetProtocolStack: (protocol_stack=(presentation=ttc))
nexaNetSdu: 2048

dn: cn=ou/base,cn=home1,o=kel
objectClass: Nexaprofile
Nexatracelevelclient: 7

dn: cn=hr,cn=home1,o=kel
objectClass: nexaNetService
nexaNetDescString: (description=(address=(protocol=tcp)(host=hr)(port=2)))
)";

using Params = std::map<std::string, std::string>;

class DirectoryConfigTest : public DirectoryHome {
 protected:
  void SetUp() override { WriteEntries(kEntries); }
};

// Ordered values put the end points in their numbered order, not the stored one; an absent
// attribute gives no parameter and no error.
TEST_F(DirectoryConfigTest, ListenerParametersCarryItsName) {
  ASSERT_EQ(Load(NLOL_KIND_LISTENER, "LISTENER"), 0);
  EXPECT_EQ(Table(), (Params{
                         {"LISTENER", "(address_list=(address=(protocol=tcp)(host=h1)(port=1521))"
                                      "(address=(protocol=ipc)(key=k)))"},
                         {"passwords_LISTENER", "a,b"},
                         {"sid_list_LISTENER", "(sid_list=(sid_desc=(sid_name=s1))(sid_desc=(sid_name=s2)))"},
                         {"startup_wait_time_LISTENER", "3"},
                         {"trace_level_LISTENER", "16"},
                     }));
}

// The profile's own values win over the shared profile's; the references themselves are no
// parameters.
TEST_F(DirectoryConfigTest, ProfileOverSharedProfile) {
  ASSERT_EQ(Load(NLOL_KIND_PROFILE, nullptr), 0);  // kelnet_profile unset: NetProfile
  EXPECT_EQ(Table(), (Params{
                         {"brisol.crypto_ckecksum_client", "accepted"},
                         {"kerberos_realm", "R1"},
                         {"names.directory_path", "(tnsnames,ldap)"},
                         {"sqlnet.extra", "on=1"},
                         {"trace_file_client", "base.trc"},
                         {"trace_level_client", "16"},
                     }));
}

// A plain name, an entry name (with '=') and a directory path (with '/' and '=') each find
// their profile.
TEST_F(DirectoryConfigTest, ProfileNameFromEnvironment) {
  const struct {
    const char* profile;
    const char* name;
    const char* value;
  } cases[] = {{"base", "trace_level_client", "4"},
               {"cn=base,cn=home1,o=kel", "trace_file_client", "base.trc"},
               {"cn=ou/base,cn=home1,o=kel", "trace_level_client", "7"}};
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
  home_.Write(admin_ + "/entries.ldif", std::string(kEntries) +
                                            "\ndn: cn=solo\nobjectClass: Nexaprofile\nNexatracelevelclient: 9\n");
  WriteLdapParameters("net_config_method = ldap\nsystemname_in_dir = o=kel\ndirectory_ldif_file = entries.ldif\n");
  ASSERT_EQ(Load(NLOL_KIND_PROFILE_BY_NAME, "cn=solo"), 0);
  EXPECT_EQ(Get("trace_level_client"), "9");
  // Without homeid a listener's entry name cannot be built: nothing to fall back to.
  EXPECT_EQ(Load(NLOL_KIND_LISTENER, "LISTENER"), NLE_PARAM_REFUSED);
}

TEST_F(DirectoryConfigTest, ConnectionManagerPairs) {
  ASSERT_EQ(Load(NLOL_KIND_CONNECTION_MANAGER, "cman"), 0);
  EXPECT_EQ(Table(), (Params{
                         {"cman", "(address=(protocol=tcp)(host=h1)(port=1521))"},
                         {"cman_profile", "(parameter_list=(tracing=6)(maximum_relays=8)(x=1))"},
                         {"cman_rules", "(rule_list=(rule=(src=a)(dst=b))(rule=(src=c)(dst=d)))"},
                     }));
  ASSERT_EQ(Load(NLOL_KIND_CONNECTION_MANAGER, "plaincman"), 0);
  EXPECT_EQ(Table(), (Params{{"plaincman_profile", "(parameter_list=(maximum_relays=2))"}}));
}

TEST_F(DirectoryConfigTest, ServiceNameDescriptors) {
  ASSERT_EQ(Load(NLOL_KIND_SERVICE_NAME, "hr"), 0);
  EXPECT_EQ(Table(), (Params{{"hr", "(description=(address=(protocol=tcp)(host=hr)(port=2)))"}}));
  ASSERT_EQ(Load(NLOL_KIND_SERVICE_NAME, "sales"), 0);
  EXPECT_EQ(Table(), (Params{{"sales", "(description=(address_list=(address=(protocol=tcp)(host=x)(port=1))"
                                        "(protocol_stack=(presentation=ttc))(sdu=2048))(load_balance=on)(failover=on)"
                                        "(connect_data=(sid=S1)(service_name=sales.kel))"
                                        "(security=(authentication_service=kerberos,radius)(kerberos_realm=R1)))"}}));
  EXPECT_EQ(Load(NLOL_KIND_SERVICE_NAME, "nosuch"), NLE_PARAM_REFUSED);
}

TEST_F(DirectoryConfigTest, LookupDeliversOneValue) {
  NlPrimaryErrorRecord record{};
  char* value = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(nlpainso(&record, nullptr, NLPA_LOOKUP_MODE, nullptr, "TRACE_LEVEL_LISTENER", 20, &value, &size, 0,
                     nullptr, NLOL_KIND_LISTENER, "LISTENER", &context_),
            0);
  ASSERT_NE(value, nullptr);
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

TEST_F(DirectoryConfigTest, FailedReadsLeaveTheTableAlone) {
  // A reference to an entry that does not exist fails the whole listener, not half of it.
  home_.Write(admin_ + "/entries.ldif", std::string(kEntries) + R"(
dn: cn=broken,cn=home1,o=kel
objectClass: Nexalistener
Nexatracelevel: 4
Nexanetendpointlist: cn=missing
)");
  NlPrimaryErrorRecord record{};
  const char* argv[] = {"kept = yes"};
  ASSERT_EQ(nlpains(&record, &table_, NLPA_CREATE_ONLY, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr), 0);
  ASSERT_EQ(nlpassp(&record, table_, 1, "kept", 4, "yes", 3), 0);
  EXPECT_EQ(nlpainso(&record, &table_, 0, nullptr, nullptr, 0, nullptr, nullptr, 1, const_cast<char**>(argv),
                     NLOL_KIND_LISTENER, "broken", &context_),
            NLE_PARAM_REFUSED);
  EXPECT_EQ(Get("trace_level_broken"), "<absent>");
  EXPECT_EQ(Get("kept"), "yes");

  // Malformed LDIF: nothing of it is loaded.
  home_.Write(admin_ + "/entries.ldif", std::string(kEntries) + "\nthis is not ldif\n");
  EXPECT_EQ(nlpainso(&record, &table_, 0, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, NLOL_KIND_LISTENER,
                     "LISTENER", &context_),
            NLE_PARAM_REFUSED);
  EXPECT_EQ(Get("trace_level_LISTENER"), "<absent>");
  EXPECT_EQ(Get("kept"), "yes");
}

TEST_F(DirectoryConfigTest, UnreachableServerKeepsTheFileParameters) {
  WriteLdapParameters(
      "net_config_method = ldap\nhomeid = home1\nsystemname_in_dir = o=kel\n"
      "directory_backend = ldap\ndirectory_uri = ldap://127.0.0.1:1\n");
  EXPECT_EQ(Load(NLOL_KIND_LISTENER, "LISTENER"), NLE_PARAM_REFUSED);
  ASSERT_NE(table_, nullptr);  // the empty table is still the caller's
  char* value = nullptr;
  uint32_t length = 0;
  ASSERT_EQ(nlpagetldparam(&context_, "homeid", 6, 1, &value, &length, 1), 0);
  EXPECT_EQ(std::string(value, length), "home1");
}

TEST_F(DirectoryConfigTest, AllocationFailuresLeaveNothingBehind) {
  // ldap.kel is read once beforehand: a failure there would switch nlpainso to the files.
  char* value = nullptr;
  uint32_t length = 0;
  ASSERT_EQ(nlpagetldparam(&context_, "homeid", 6, 1, &value, &length, 1), 0);
  for (const auto& [kind, name] : {std::pair{NLOL_KIND_LISTENER, "LISTENER"}, std::pair{NLOL_KIND_PROFILE, "NetProfile"},
                                   std::pair{NLOL_KIND_CONNECTION_MANAGER, "cman"},
                                   std::pair{NLOL_KIND_SERVICE_NAME, "sales"}}) {
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
