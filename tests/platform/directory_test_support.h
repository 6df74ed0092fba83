// Helpers shared by the directory tests: the sample home, the private server's address, names
// compared as the directory compares them, and reading values into std types.
#ifndef KELNL_TESTS_PLATFORM_DIRECTORY_TEST_SUPPORT_H
#define KELNL_TESTS_PLATFORM_DIRECTORY_TEST_SUPPORT_H

#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dir/directory.h"
#include "platform/dir/names.h"

namespace kelnl::dir::testing {

inline std::string SampleLdif() { return std::string(KELNL_DIRECTORY_EXAMPLES) + "/home1.ldif"; }

// The URI of the private server of the test's fixture; empty when none runs for this test.
inline std::string ServerUri() {
  const char* folder = std::getenv("KELNL_SLAPD_DIR");
  if (folder == nullptr) return {};
  std::ifstream file(std::string(folder) + "/uri");
  std::string uri;
  std::getline(file, uri);
  return uri;
}

inline std::string Key(std::string_view name) {
  std::string key(name.size(), '\0');
  key.resize(NormalizeName(name, key.data()));
  return key;
}

// The values of one attribute of a read entry; empty for an absent attribute.
inline std::vector<std::string> ValuesOf(Directory* directory, DirectoryResult* result, const char* attribute) {
  char** values = nullptr;
  std::vector<std::string> texts;
  if (DirectoryGetValues(directory, result, attribute, &values) != 0) return texts;
  for (char** value = values; *value != nullptr; ++value) texts.emplace_back(*value);
  return texts;
}

}  // namespace kelnl::dir::testing

#endif
