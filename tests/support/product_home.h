// A temporary product home, TARVO_HOME for its lifetime, with the build's message files and the
// directories the library writes into.
#ifndef KELNL_TESTS_SUPPORT_PRODUCT_HOME_H
#define KELNL_TESTS_SUPPORT_PRODUCT_HOME_H

#include <filesystem>
#include <string>

#include "tests/support/test_files.h"

namespace kelnl::testing {

class ProductHome {
 public:
  ProductHome() : home_("TARVO_HOME", dir_.path().string().c_str()) {
    namespace fs = std::filesystem;
    fs::copy(KELNL_TEST_BUILD_HOME, dir_.path(), fs::copy_options::recursive);
    fs::create_directories(dir_.path() / "network" / "admin");
    fs::create_directories(dir_.path() / "network" / "log");
    fs::create_directories(dir_.path() / "trace");
  }
  // Writes a file below the home ("network/admin/brisol.kel") and returns its path.
  // Names below the home are written with '/' and turned into the platform's form.
  std::string Write(const std::string& name, const std::string& text) const { return dir_.Write(Native(name), text); }
  std::string Read(const std::string& name) const { return dir_.Read(Native(name)); }
  std::string File(const std::string& name) const { return dir_.File(Native(name)); }
  std::string SystemFile() const { return File("network/admin/brisol.kel"); }
  // Copies the file `from` into the directory `bin` of the home as `name`.
  void Install(const std::string& bin, const char* from, const std::string& name) const {
    std::filesystem::create_directories(dir_.path() / bin);
    std::filesystem::copy_file(from, dir_.path() / bin / name);
  }

 private:
  static std::string Native(const std::string& name) { return std::filesystem::path(name).make_preferred().string(); }

  TempDir dir_;
  ScopedEnvironment home_;
  ScopedEnvironment admin_{"VQT_ADMIN", nullptr};
  ScopedEnvironment network_{"NETWORK", nullptr};
};

}  // namespace kelnl::testing

#endif
