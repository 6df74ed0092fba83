// Descriptors made from a path, and their release.
#include <cstddef>
#include <cstring>
#include <string_view>

#include "files/name_buffer.h"
#include "files/os_record.h"
#include "kelnl/nlfn.h"
#include "platform/core/allocator.h"
#include "platform/os/os.h"

using kelnl::files::ClearRecord;
using kelnl::files::Fail;
using kelnl::files::Slice;

// Other components of the product build descriptors themselves: on 32-bit Windows every field
// sits at its word, text pointer and length alternating, the flags last.
static_assert(sizeof(void*) != 4 || (offsetof(NlFileNameDesc, second_component) == 8 &&
                                     offsetof(NlFileNameDesc, base_name) == 24 &&
                                     offsetof(NlFileNameDesc, environment_variable_length) == 44 &&
                                     offsetof(NlFileNameDesc, flags) == 48 && sizeof(NlFileNameDesc) == 52));

namespace {

struct PathParts {
  std::string_view directory;
  std::string_view base;
  std::string_view extension;
};

// The last separator ends the directory; the last dot after it starts the extension. Only the
// platform's separator counts, so a name is split the way it would be built.
PathParts Split(std::string_view path) {
  const char separator = kelnl::os::PathSeparator();
  const std::size_t slash = path.rfind(separator);
  const std::size_t name_start = slash == std::string_view::npos ? 0 : slash + 1;
  const std::string_view name = Slice(path, name_start);
  const std::size_t dot = name.rfind('.');
  PathParts parts;
  if (slash != std::string_view::npos) parts.directory = Slice(path, 0, slash);
  parts.base = Slice(name, 0, dot);
  if (dot != std::string_view::npos) parts.extension = Slice(name, dot + 1);
  return parts;
}

// A terminated copy of a present part; false when memory runs out.
bool CopyPart(std::string_view part, const char** text, uint32_t* length) {
  if (part.empty()) return true;
  char* copy = static_cast<char*>(kelnl::Allocate(part.size() + 1));
  if (copy == nullptr) return false;
  std::memcpy(copy, part.data(), part.size());
  copy[part.size()] = '\0';
  *text = copy;
  *length = static_cast<uint32_t>(part.size());
  return true;
}

void ReleasePart(const char** text, uint32_t* length) {
  // The descriptor owns these copies; the const only keeps callers from writing through them.
  kelnl::Release(const_cast<char*>(*text));
  *text = nullptr;
  *length = 0;
}

}  // namespace

extern "C" int32_t nlfninit(NlOsErrorRecord* record, NlFileNameDesc* desc, const char* path,
                            uint32_t path_length) {
  ClearRecord(record);
  if (desc == nullptr || path == nullptr) return Fail(record, NLFN_GENERAL_FAILURE);
  *desc = NlFileNameDesc{};
  const PathParts parts = Split(std::string_view(path, path_length));
  if (!CopyPart(parts.directory, &desc->explicit_directory, &desc->explicit_directory_length) ||
      !CopyPart(parts.base, &desc->base_name, &desc->base_name_length) ||
      !CopyPart(parts.extension, &desc->extension, &desc->extension_length)) {
    nlfndstry(desc);
    return Fail(record, NLFN_NO_MEMORY);
  }
  return 0;
}

extern "C" void nlfndstry(NlFileNameDesc* desc) {
  if (desc == nullptr) return;
  ReleasePart(&desc->first_component, &desc->first_component_length);
  ReleasePart(&desc->second_component, &desc->second_component_length);
  ReleasePart(&desc->explicit_directory, &desc->explicit_directory_length);
  ReleasePart(&desc->base_name, &desc->base_name_length);
  ReleasePart(&desc->extension, &desc->extension_length);
  ReleasePart(&desc->environment_variable, &desc->environment_variable_length);
}
