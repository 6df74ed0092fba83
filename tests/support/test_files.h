// A temporary directory per test, removed with everything in it at the end of the test.
#ifndef KELNL_TESTS_SUPPORT_TEST_FILES_H
#define KELNL_TESTS_SUPPORT_TEST_FILES_H

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "kelnl/nlfn.h"

namespace kelnl::testing {

// A name descriptor whose base name is the path as it stands. The path must outlive it.
inline NlFileNameDesc DescriptorFor(const std::string& path) {
  NlFileNameDesc desc{};
  desc.base_name = path.c_str();
  desc.base_name_length = static_cast<std::uint32_t>(path.size());
  return desc;
}

// The date and time in the form the library writes into file headers.
inline constexpr char kHeaderDatePattern[] = "[0-3][0-9]-[A-Z]{3}-[0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-5][0-9]";

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of a file in the directory, as text in the platform's form.
  std::string File(std::string_view name) const;
  // Writes a file (binary, exactly the bytes given) and returns its path.
  std::string Write(std::string_view name, std::string_view contents) const;
  std::string Read(std::string_view name) const;
  // A file the library wrote as text, with the platform's line ends read as "\n".
  std::string ReadText(std::string_view name) const;
  // The names of the files in the directory: what an operation left behind.
  std::set<std::string> Names() const;

 private:
  std::filesystem::path path_;
};

// Sets or (with a null value) removes an environment variable for the rest of a scope.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::string old_value_;
  bool had_value_;
};

}  // namespace kelnl::testing

#endif
