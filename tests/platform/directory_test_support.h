// Helpers shared by the directory tests: the sample home and reading values into std types.
#ifndef KELNL_TESTS_PLATFORM_DIRECTORY_TEST_SUPPORT_H
#define KELNL_TESTS_PLATFORM_DIRECTORY_TEST_SUPPORT_H

#include <string>
#include <vector>

#include "platform/dir/directory.h"

namespace kelnl::dir::testing {

inline std::string SampleLdif() { return std::string(KELNL_DIRECTORY_EXAMPLES) + "/home1.ldif"; }

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
