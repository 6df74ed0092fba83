// A temporary product home with the build's message files, and a startup block over it: what the
// startup tests share.
#ifndef KELNL_TESTS_CONTEXT_STARTUP_SUPPORT_H
#define KELNL_TESTS_CONTEXT_STARTUP_SUPPORT_H

#include <filesystem>
#include <string>

#include "kelnl/nlstd.h"
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

 private:
  static std::string Native(const std::string& name) { return std::filesystem::path(name).make_preferred().string(); }

  TempDir dir_;
  ScopedEnvironment home_;
  ScopedEnvironment admin_{"VQT_ADMIN", nullptr};
  ScopedEnvironment network_{"NETWORK", nullptr};
};

// A block reading the given sources and opening the log as the client's parameters say.
inline NlStartupParameters StartupBlock(std::uint32_t flags) {
  NlStartupParameters block{};
  block.flags = flags;
  block.log_file_parameter = "log_file_client";
  block.log_directory_parameter = "log_directory_client";
  block.trace_file_parameter = "trace_file_client";
  block.trace_directory_parameter = "trace_directory_client";
  block.trace_level_parameter = "trace_level_client";
  block.log_file.base_name = "client";
  block.log_file.base_name_length = 6;
  block.log_file.extension = "log";
  block.log_file.extension_length = 3;
  block.trace_file.base_name = "client";
  block.trace_file.base_name_length = 6;
  block.trace_file.extension = "trc";
  block.trace_file.extension_length = 3;
  return block;
}

}  // namespace kelnl::testing

#endif
