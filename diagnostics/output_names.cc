#include "diagnostics/output_names.h"

#include <cctype>
#include <cstring>

#include "kelnl/nlpa.h"

namespace kelnl::diagnostics {
namespace {

constexpr std::string_view kStandardOutputName = "standard output";

// The first element of a parameter, or an empty view when it is absent.
std::string_view FirstElement(NlParameterTable* parameters, const char* name) {
  if (name == nullptr) return {};
  char* value = nullptr;
  std::uint32_t length = 0;
  if (nlpagsp(nullptr, parameters, name, static_cast<std::uint32_t>(std::strlen(name)), 1, &value, &length) != 0) {
    return {};
  }
  return {value, length};
}

bool IsTerminalName(const char* text, std::uint32_t length) {
  if (length != 3) return false;
  static constexpr char kTerminal[] = "tty";
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != kTerminal[i]) return false;
  }
  return true;
}

void Fill(const char** text, std::uint32_t* length, std::string_view value) {
  *text = value.data();
  *length = static_cast<std::uint32_t>(value.size());
}

void Default(const char** text, std::uint32_t* length, std::string_view fallback) {
  if (*length == 0) Fill(text, length, fallback);
}

}  // namespace

std::uint32_t StreamDisplayName(NlDiagStream* stream, char* buffer) {
  buffer[0] = '\0';
  std::uint32_t kind = 0;
  if (stream == nullptr || nldsinfo(nullptr, stream, &kind, nullptr, nullptr) != 0) return 0;
  if (kind == NLDS_KIND_STANDARD_OUTPUT) {
    std::memcpy(buffer, kStandardOutputName.data(), kStandardOutputName.size() + 1);
    return static_cast<std::uint32_t>(kStandardOutputName.size());
  }
  if (kind != NLDS_KIND_FILE) return 0;
  unsigned char info[NLDS_FILE_INFO_SIZE];
  if (nldsinfo(nullptr, stream, nullptr, nullptr, info) != 0) return 0;
  std::uint32_t length = 0;
  std::memcpy(&length, info, sizeof length);
  if (length + 1 > NLSTD_NAME_CAPACITY) return 0;
  std::memcpy(buffer, info + sizeof length, length);
  buffer[length] = '\0';
  return length;
}

bool ResolveOutputFile(NlParameterTable* parameters, std::uint32_t startup_flags, const OutputFileParameters& names,
                       const OutputFileDefaults& defaults, NlFileNameDesc* desc) {
  const std::string_view file = FirstElement(parameters, names.file);
  const bool tty_refused = (startup_flags & NLSTD_TTY_NOT_TERMINAL) != 0 && file.size() == 3 &&
                           IsTerminalName(file.data(), 3);
  if (!file.empty() && !tty_refused) Fill(&desc->base_name, &desc->base_name_length, file);
  if (IsTerminalName(desc->base_name, desc->base_name_length)) return true;

  const std::string_view directory = FirstElement(parameters, names.directory);
  if (!directory.empty()) Fill(&desc->explicit_directory, &desc->explicit_directory_length, directory);
  if (names.unique != nullptr) {
    std::int32_t unique = 0;
    if (nlpagbp(nullptr, parameters, names.unique, static_cast<std::uint32_t>(std::strlen(names.unique)), 1,
                &unique) == 0) {
      desc->flags = unique != 0 ? desc->flags | NLFN_UNIQUE_NAME : desc->flags & ~NLFN_UNIQUE_NAME;
    }
  }
  Default(&desc->first_component, &desc->first_component_length, defaults.first_component);
  Default(&desc->second_component, &desc->second_component_length, defaults.second_component);
  Default(&desc->base_name, &desc->base_name_length, defaults.base_name);
  Default(&desc->extension, &desc->extension_length, defaults.extension);
  return false;
}

}  // namespace kelnl::diagnostics
