// Directory-stored configuration read through nlpainso from an LDIF directory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kelnl/nlerrors.h"
#include "kelnl/nlnv.h"
#include "kelnl/nlol.h"
#include "kelnl/nlpa.h"
#include "platform/core/allocator.h"
#include "tests/params/directory_test_support.h"
#include "tests/support/alloc_sweep.h"

namespace kelnl::testing {
namespace {

constexpr char kEntries[] = R"(dn: cn=LISTENER,cn=home1,o=kel
objectClass: top
objectClass: Nexalistener
cn: LISTENER
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

class DirectoryConfigTest : public DirectoryHome {
 protected:
  void SetUp() override { WriteEntries(kEntries); }
};

// The parenthesised texts a component hands to the name-value parser must parse.
void ExpectParses(const std::string& text) {
  NlnvBinding* binding = nullptr;
  NlnvError error{};
  EXPECT_EQ(nlnvcrb(text.data(), text.size(), &binding, &error), 0) << text << ": " << error.message;
  nlnvdeb(binding);
}

TEST_F(DirectoryConfigTest, ListenerParametersCarryItsName) {
  ASSERT_EQ(Load(NLOL_KIND_LISTENER, "LISTENER"), 0);
  EXPECT_EQ(Get("trace_level_LISTENER"), "16");
  EXPECT_EQ(Get("passwords_LISTENER"), "a,b");
  EXPECT_EQ(Get("sid_list_LISTENER"), "(sid_list=(sid_desc=(sid_name=s1))(sid_desc=(sid_name=s2)))");
  EXPECT_EQ(Get("startup_wait_time_LISTENER"), "3");
  EXPECT_EQ(Get("log_file_LISTENER"), "<absent>");  // absent attribute: no parameter, no error
  // Ordered values put the entries in their numbered order, not the stored one.
  const std::string address = Get("LISTENER");
  EXPECT_EQ(address,
            "(address_list=(address=(protocol=tcp)(host=h1)(port=1521))(address=(protocol=ipc)(key=k)))");
  ExpectParses(address);
}

TEST_F(DirectoryConfigTest, ProfileOverSharedProfile) {
  ASSERT_EQ(Load(NLOL_KIND_PROFILE, nullptr), 0);  // kelnet_profile unset: NetProfile
  EXPECT_EQ(Get("trace_level_client"), "16");       // the profile's value wins
  EXPECT_EQ(Get("trace_file_client"), "base.trc");  // the shared profile's stays
  EXPECT_EQ(Get("names.directory_path"), "(tnsnames,ldap)");
  EXPECT_EQ(Get("brisol.crypto_ckecksum_client"), "accepted");
  EXPECT_EQ(Get("sqlnet.extra"), "on=1");
  EXPECT_EQ(Get("kerberos_realm"), "R1");
  EXPECT_EQ(Get("shared_profile"), "<absent>");
  EXPECT_EQ(Get("auth_list"), "<absent>");
}

TEST_F(DirectoryConfigTest, ProfileNameFromEnvironment) {
  {
    ScopedEnvironment profile("kelnet_profile", "base");
    ASSERT_EQ(Load(NLOL_KIND_PROFILE, nullptr), 0);
    EXPECT_EQ(Get("trace_level_client"), "4");
  }
#ifndef _WIN32
  {
    // Windows' C runtime removes a variable set to nothing: only elsewhere can it be set empty.
    ScopedEnvironment profile("kelnet_profile", "");
    EXPECT_EQ(Load(NLOL_KIND_PROFILE, nullptr), NLE_PARAM_REFUSED);
  }
#endif
  {
    // A name with an equals sign is an entry name: read as it is.
    ScopedEnvironment profile("kelnet_profile", "cn=base,cn=home1,o=kel");
    ASSERT_EQ(Load(NLOL_KIND_PROFILE, nullptr), 0);
    EXPECT_EQ(Get("trace_file_client"), "base.trc");
  }
  {
    // A directory path (both '/' and '=') is read as it is too.
    ScopedEnvironment profile("kelnet_profile", "cn=ou/base,cn=home1,o=kel");
    ASSERT_EQ(Load(NLOL_KIND_PROFILE, nullptr), 0);
    EXPECT_EQ(Get("trace_level_client"), "7");
  }
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
  EXPECT_EQ(Get("cman"), "(address=(protocol=tcp)(host=h1)(port=1521))");
  EXPECT_EQ(Get("cman_profile"), "(parameter_list=(tracing=6)(maximum_relays=8)(x=1))");
  EXPECT_EQ(Get("cman_rules"), "(rule_list=(rule=(src=a)(dst=b))(rule=(src=c)(dst=d)))");
  ExpectParses(Get("cman_profile"));
  ExpectParses(Get("cman_rules"));

  ASSERT_EQ(Load(NLOL_KIND_CONNECTION_MANAGER, "plaincman"), 0);
  EXPECT_EQ(Get("plaincman_profile"), "(parameter_list=(maximum_relays=2))");
  EXPECT_EQ(Get("plaincman_rules"), "<absent>");
  EXPECT_EQ(Get("plaincman"), "<absent>");
}

TEST_F(DirectoryConfigTest, ServiceNameDescriptors) {
  ASSERT_EQ(Load(NLOL_KIND_SERVICE_NAME, "hr"), 0);
  EXPECT_EQ(Get("hr"), "(description=(address=(protocol=tcp)(host=hr)(port=2)))");

  ASSERT_EQ(Load(NLOL_KIND_SERVICE_NAME, "sales"), 0);
  const std::string descriptor = Get("sales");
  EXPECT_EQ(descriptor,
            "(description=(address_list=(address=(protocol=tcp)(host=x)(port=1))"
            "(protocol_stack=(presentation=ttc))(sdu=2048))(load_balance=on)"
            "(connect_data=(sid=S1)(service_name=sales.kel))"
            "(security=(authentication_service=kerberos,radius)(kerberos_realm=R1)))");
  ExpectParses(descriptor);
  // As a parameter file would hold it, it reads back whole.
  std::string statement = "sales = " + descriptor;
  NlPrimaryErrorRecord record{};
  NlParameterTable* parsed = nullptr;
  char* argv[] = {statement.data()};
  ASSERT_EQ(nlpains(&record, &parsed, 0, nullptr, nullptr, 0, nullptr, nullptr, 1, argv), 0);
  char* value = nullptr;
  uint32_t length = 0;
  ASSERT_EQ(nlpagsp(&record, parsed, "sales", 5, 0, &value, &length), 0);
  EXPECT_EQ(std::string(value, length), descriptor);
  nlpatrm(&record, &parsed);

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
