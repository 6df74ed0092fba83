// A product home whose administration directory holds ldap.kel and an LDIF file of entries, and
// a context reading them: what the directory-configuration tests share.
#ifndef KELNL_TESTS_PARAMS_DIRECTORY_TEST_SUPPORT_H
#define KELNL_TESTS_PARAMS_DIRECTORY_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "kelnl/nlol.h"
#include "kelnl/nlpa.h"
#include "tests/params/parameter_walk.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {

class DirectoryHome : public ::testing::Test {
 protected:
  DirectoryHome() : tarvo_home_("TARVO_HOME", home_.path().string().c_str()) {
    std::filesystem::create_directories(home_.path() / "network" / "admin");
    admin_ = (std::filesystem::path("network") / "admin").string();
  }
  ~DirectoryHome() override {
    NlPrimaryErrorRecord record{};
    nlpatrm(&record, &table_);
    nlpagetldparam(&context_, nullptr, 0, 0, nullptr, nullptr, 2);
  }

  // Writes network/admin/ldap.kel.
  void WriteLdapParameters(const std::string& text) {
    home_.Write((std::filesystem::path(admin_) / "ldap.kel").string(), text);
    nlpagetldparam(&context_, nullptr, 0, 0, nullptr, nullptr, 2);
  }
#ifdef KELNL_DIRECTORY_EXAMPLES
  // Writes network/admin/entries.ldif, the sample home of examples/directory followed by
  // extra_ldif, and an ldap.kel naming it, with home "home1" below dc=example,dc=com. The
  // entries lie beside ldap.kel, named relative to it: the build tree's path is no absolute name
  // to a Windows program.
  void WriteSampleEntries(const std::string& extra_ldif = "") {
    std::ifstream sample(KELNL_DIRECTORY_EXAMPLES "/home1.ldif", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(sample)), std::istreambuf_iterator<char>());
    home_.Write(admin_ + "/entries.ldif", text + extra_ldif);
    WriteLdapParameters("net_config_method = LDAP\nhomeid = home1\nsystemname_in_dir = dc=example,dc=com\n"
                        "directory_backend = ldif\ndirectory_ldif_file = entries.ldif\n");
  }
#endif
  // Loads the object into a fresh table through nlpainso; the result code.
  int32_t Load(int32_t kind, const char* name) {
    NlPrimaryErrorRecord record{};
    nlpatrm(&record, &table_);
    return nlpainso(&record, &table_, 0, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, kind, name, &context_);
  }
  // A parameter of the loaded table, or "<absent>".
  std::string Get(const char* name) { return StoredValue(table_, name); }
  // Every parameter of the loaded table, by the spelling it has.
  Params Table() { return WalkParameters(table_); }

  NlGlobalContext context_{};
  NlParameterTable* table_ = nullptr;
  TempDir home_;
  std::string admin_;

 private:
  ScopedEnvironment tarvo_home_;
  ScopedEnvironment network_{"NETWORK", nullptr};
  ScopedEnvironment vqt_admin_{"VQT_ADMIN", nullptr};
  ScopedEnvironment profile_{"kelnet_profile", nullptr};
};

}  // namespace kelnl::testing

#endif
