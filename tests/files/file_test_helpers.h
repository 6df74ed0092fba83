// Helpers shared by the file tests: names in the platform's form and a restored current directory.
#ifndef KELNL_TESTS_FILES_FILE_TEST_HELPERS_H
#define KELNL_TESTS_FILES_FILE_TEST_HELPERS_H

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "kelnl/nlep.h"
#include "platform/os/os.h"

namespace kelnl::testing {

inline char Separator() { return kelnl::os::PathSeparator(); }

// A name written with '/' turned into the platform's separator.
inline std::string Native(std::string name) {
  for (char& c : name) {
    if (c == '/') c = Separator();
  }
  return name;
}

inline std::string Join(const std::string& directory, const std::string& name) {
  return directory + Separator() + name;
}

inline std::uint32_t Length(const std::string& text) { return static_cast<std::uint32_t>(text.size()); }

inline void ExpectRecord(const NlOsErrorRecord& record, std::uint32_t code, std::uint32_t system_error = 0,
                         std::uint32_t extra = 0) {
  EXPECT_EQ(record.operation, code);
  EXPECT_EQ(record.system_error, system_error);
  EXPECT_EQ(record.extra, extra);
}

// Changes into a directory for one scope; tests run in one process, so the old one comes back.
class InDirectory {
 public:
  explicit InDirectory(const std::filesystem::path& directory) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(directory);
  }
  ~InDirectory() { std::filesystem::current_path(previous_); }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

}  // namespace kelnl::testing

#endif
