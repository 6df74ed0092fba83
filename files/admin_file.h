// Descriptors of the files that live in the administration directory below the network
// directory of the product home: the parameter files and their companions.
#pragma once

#include <cstdint>
#include <string_view>

#include "kelnl/nlfn.h"

namespace kelnl::files {

// base and extension must outlive the descriptor (literals in practice). With user_directory the
// directory named by VQT_ADMIN comes first, as it does for the files a user may relocate; the
// trusted ones (the directory access file) only ever come from the product home.
constexpr NlFileNameDesc AdminFile(std::string_view base, std::string_view extension, bool user_directory) {
  NlFileNameDesc desc{};
  desc.first_component = "network";
  desc.first_component_length = 7;
  desc.second_component = "admin";
  desc.second_component_length = 5;
  desc.base_name = base.data();
  desc.base_name_length = static_cast<std::uint32_t>(base.size());
  desc.extension = extension.data();
  desc.extension_length = static_cast<std::uint32_t>(extension.size());
  if (user_directory) {
    desc.environment_variable = "VQT_ADMIN";
    desc.environment_variable_length = 9;
  }
  return desc;
}

}  // namespace kelnl::files
