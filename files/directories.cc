// Environment-named directories, the current directory and making directories.
#include <cstring>

#include "files/name_parts.h"
#include "files/os_record.h"
#include "kelnl/nlfn.h"
#include "platform/os/os.h"

using kelnl::files::ClearRecord;
using kelnl::files::Fail;

namespace kelnl::files {

std::int32_t ReadEnvironmentValue(NlOsErrorRecord* record, NameBuffer& buffer, std::string_view name) {
  ClearRecord(record);
  buffer.length = 0;
  const long length = kelnl::os::GetEnvironment(name.data(), name.size(), buffer.data, buffer.size);
  if (length < 0) return Fail(record, NLFN_GENERAL_FAILURE);
  if (static_cast<std::size_t>(length) >= buffer.size) return Fail(record, NLFN_PART_TOO_LONG);
  buffer.length = static_cast<std::size_t>(length);
  buffer.data[buffer.length] = '\0';
  return 0;
}

}  // namespace kelnl::files

extern "C" int32_t snlfnisabs(const char* name) {
  return name != nullptr && kelnl::os::IsAbsoluteName(name) ? 1 : 0;
}

extern "C" int32_t snlfngenv(NlOsErrorRecord* record, const char* name, uint32_t name_length, char* buffer,
                             uint32_t size, uint32_t* length) {
  ClearRecord(record);
  if (buffer == nullptr || length == nullptr) return Fail(record, NLFN_NO_OUTPUT_BUFFER);
  kelnl::files::NameBuffer value{buffer, size, 0};
  const int32_t code =
      kelnl::files::ReadEnvironmentValue(record, value, kelnl::files::Text(name, name_length));
  *length = static_cast<uint32_t>(value.length);
  return code;
}

extern "C" int32_t snlfncdir(NlOsErrorRecord* record, char* buffer, uint32_t size, uint32_t* length) {
  constexpr int32_t kFailure = 1;
  constexpr uint32_t kSmallestBuffer = 2;  // a root directory and its terminator
  ClearRecord(record);
  if (buffer == nullptr || length == nullptr) return Fail(record, NLFN_NO_OUTPUT_BUFFER);
  *length = 0;
  if (size < kSmallestBuffer) return Fail(record, NLFN_GENERAL_FAILURE);
  const int error = kelnl::os::CurrentDirectory(buffer, size);
  if (error != 0) {
    Fail(record, NLFN_NO_CURRENT_DIRECTORY, static_cast<uint32_t>(error));
    return kFailure;
  }
  *length = static_cast<uint32_t>(std::strlen(buffer));
  return 0;
}

// The home directory of a process is the directory it runs in.
extern "C" int32_t snlfnhdir(NlOsErrorRecord* record, char* buffer, uint32_t size, uint32_t* length) {
  return snlfncdir(record, buffer, size, length);
}

// Programs of the product find their files through the product home, never beside themselves.
extern "C" int32_t snlfnexed(NlOsErrorRecord*, char*, uint32_t, uint32_t* length) {
  if (length != nullptr) *length = 0;
  return 0;
}

namespace {

// Runs a directory operation; a failure stores code and system error and returns 1.
template <typename Operation>
int32_t DirectoryOperation(NlOsErrorRecord* record, const char* directory, int32_t failure_code,
                           Operation operation) {
  constexpr int32_t kFailure = 1;
  ClearRecord(record);
  const int error = directory == nullptr ? EINVAL : operation(directory);
  if (error == 0) return 0;
  Fail(record, failure_code, static_cast<uint32_t>(error));
  return kFailure;
}

}  // namespace

extern "C" int32_t snlfncwd(NlOsErrorRecord* record, const char* directory) {
  return DirectoryOperation(record, directory, NLFN_CHANGE_DIRECTORY_FAILED, kelnl::os::ChangeDirectory);
}

extern "C" int32_t snlfnmkd(NlOsErrorRecord* record, const char* directory) {
  return DirectoryOperation(record, directory, NLFN_MAKE_DIRECTORY_FAILED, kelnl::os::MakeDirectory);
}
