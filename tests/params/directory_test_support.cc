#include "tests/params/directory_test_support.h"

#include <filesystem>

namespace kelnl::testing {

DirectoryHome::DirectoryHome() : tarvo_home_("TARVO_HOME", home_.path().string().c_str()) {
  std::filesystem::create_directories(home_.path() / "network" / "admin");
  admin_ = (std::filesystem::path("network") / "admin").string();
}

DirectoryHome::~DirectoryHome() {
  NlPrimaryErrorRecord record{};
  nlpatrm(&record, &table_);
  nlpagetldparam(&context_, nullptr, 0, 0, nullptr, nullptr, 2);
}

void DirectoryHome::WriteLdapParameters(const std::string& text) {
  home_.Write((std::filesystem::path(admin_) / "ldap.kel").string(), text);
  nlpagetldparam(&context_, nullptr, 0, 0, nullptr, nullptr, 2);
}

int32_t DirectoryHome::Load(int32_t kind, const char* name) {
  NlPrimaryErrorRecord record{};
  nlpatrm(&record, &table_);
  return nlpainso(&record, &table_, 0, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, kind, name, &context_);
}

}  // namespace kelnl::testing
