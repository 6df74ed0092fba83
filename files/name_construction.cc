// nlfncons: the one path for a file description, from the first location that fits.
#include <cstring>

#include "files/name_parts.h"
#include "files/os_record.h"
#include "kelnl/nlfn.h"
#include "platform/os/os.h"

using kelnl::files::ClearRecord;
using kelnl::files::Fail;
using kelnl::files::NameBuffer;
using kelnl::files::Text;

namespace {

// The outcome of trying one location: taken (the buffer holds the path), move on, or an error.
constexpr int32_t kTaken = 0;
constexpr int32_t kNextLocation = -1;

struct Description {
  std::string_view first;
  std::string_view second;
  std::string_view directory;
  std::string_view base;
  std::string_view extension;
  std::string_view variable;
  uint32_t flags;

  bool MustExist() const { return (flags & NLFN_MUST_EXIST) != 0; }
  bool NamesLocation() const { return !first.empty() || !directory.empty() || !variable.empty(); }
};

Description Describe(const NlFileNameDesc& desc) {
  return Description{Text(desc.first_component, desc.first_component_length),
                     Text(desc.second_component, desc.second_component_length),
                     Text(desc.explicit_directory, desc.explicit_directory_length),
                     Text(desc.base_name, desc.base_name_length),
                     Text(desc.extension, desc.extension_length),
                     Text(desc.environment_variable, desc.environment_variable_length),
                     desc.flags};
}

// Appends the file name to the directory in the buffer and decides whether the location holds:
// always without the must-exist flag, otherwise only when the file is there. Each probe
// rewrites the record, so the last one stays visible to the caller.
int32_t TryLocation(NlOsErrorRecord* record, NameBuffer& buffer, const Description& file) {
  const int32_t code = kelnl::files::AppendFileName(record, buffer, file.base, file.extension, file.flags);
  if (code != 0) return code;
  if (!file.MustExist() || kelnl::files::ProbeAccess(record, 0, buffer.data) == 0) return kTaken;
  buffer.length = 0;
  return kNextLocation;
}

// An absolute base name is the whole answer, taken as written with no extension added. The
// terminator is written when there is room, so a C caller is safe either way; callers that
// size the buffer to the name terminate it themselves at the returned length.
int32_t CopyAbsoluteName(NlOsErrorRecord* record, NameBuffer& buffer, std::string_view name) {
  if (!buffer.Append(name)) return Fail(record, NLFN_PART_TOO_LONG);
  buffer.Terminate();
  return kTaken;
}

int32_t TryEnvironmentDirectory(NlOsErrorRecord* record, NameBuffer& buffer, const Description& file) {
  const int32_t code = kelnl::files::ReadEnvironmentValue(record, buffer, file.variable);
  // An unset variable is no failure of the construction, only a location that is absent. Windows
  // cannot hold an empty variable, so an empty value counts as unset everywhere.
  if (code == NLFN_GENERAL_FAILURE || (code == 0 && buffer.length == 0)) {
    ClearRecord(record);
    buffer.length = 0;
    return kNextLocation;
  }
  if (code != 0) return code;
  return TryLocation(record, buffer, file);
}

int32_t TryExplicitDirectory(NlOsErrorRecord* record, NameBuffer& buffer, const Description& file) {
  // The directory must leave room for at least the terminator.
  if (file.directory.size() >= buffer.size) return Fail(record, NLFN_PART_TOO_LONG);
  buffer.length = 0;
  buffer.Append(file.directory);
  return TryLocation(record, buffer, file);
}

int32_t TryDefaultDirectory(NlOsErrorRecord* record, NameBuffer& buffer, const Description& file) {
  const int32_t code = kelnl::files::BuildDefaultDirectory(record, buffer, file.first, file.second);
  if (code != 0) return code;
  return TryLocation(record, buffer, file);
}

int32_t Construct(NlOsErrorRecord* record, NameBuffer& buffer, const Description& file) {
  if (!file.base.empty() && kelnl::os::IsAbsoluteName(file.base))
    return CopyAbsoluteName(record, buffer, file.base);
  using Step = int32_t (*)(NlOsErrorRecord*, NameBuffer&, const Description&);
  const struct {
    bool present;
    Step step;
  } locations[] = {{!file.variable.empty(), TryEnvironmentDirectory},
                   {!file.directory.empty(), TryExplicitDirectory},
                   {!file.first.empty(), TryDefaultDirectory}};
  for (const auto& location : locations) {
    if (!location.present) continue;
    const int32_t outcome = location.step(record, buffer, file);
    if (outcome != kNextLocation) return outcome;
  }
  if (file.MustExist() && file.NamesLocation()) return Fail(record, NLFN_NOT_FOUND);
  // The file name alone, relative to the current directory.
  buffer.length = 0;
  return kelnl::files::AppendFileName(record, buffer, file.base, file.extension, file.flags);
}

}  // namespace

extern "C" int32_t nlfncons(NlOsErrorRecord* record, const NlFileNameDesc* desc, char* buffer, uint32_t size,
                            uint32_t* length) {
  ClearRecord(record);
  if (length != nullptr) *length = 0;
  if (buffer == nullptr || length == nullptr) return Fail(record, NLFN_NO_OUTPUT_BUFFER);
  if (desc == nullptr) return Fail(record, NLFN_GENERAL_FAILURE);
  NameBuffer name{buffer, size, 0};
  const int32_t code = Construct(record, name, Describe(*desc));
  if (code == 0) *length = static_cast<uint32_t>(name.length);
  return code;
}
