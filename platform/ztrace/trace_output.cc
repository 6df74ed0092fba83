// The trace file of a registration: its name, opening and appending.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/ztrace/registration.h"
#include "platform/ztrace/zt_memory.h"

namespace kelzt {
namespace os = kelnl::os;
namespace {

// Longer trace names are refused rather than cut: two traces would otherwise share a file.
constexpr std::size_t kMaxTraceNameLength = 256;
// The base name of a trace name that ends in a separator (the bridge passes the internal trace's
// display name, which is empty when it did not fit its buffer).
constexpr std::string_view kDefaultBaseName = "trace";

bool IsSeparator(char c) { return c == '/' || c == os::PathSeparator(); }

// The bridge passes the name of the internal trace file without its extension, usually a whole
// path: only its last component names the file here, which always lies in the configuration
// directory. A drive prefix (C:name) counts as a directory.
std::string_view BaseNameOf(std::string_view trace_name) {
  std::size_t start = trace_name.size();
  while (start > 0 && !IsSeparator(trace_name[start - 1]) && trace_name[start - 1] != ':') --start;
  // remove_prefix rather than substr: substr may throw, and the exception support it would pull
  // in brings the compiler's thread runtime DLL along on Windows.
  std::string_view base = trace_name;
  base.remove_prefix(start);
  return base.empty() ? kDefaultBaseName : base;
}

bool IsUsableBaseName(std::string_view name) {
  return name.size() <= kMaxTraceNameLength && name != "." && name != "..";
}

// <directory of configuration_path><trace_name>_<process id>.ztr; a configuration path without
// a separator names a file in the current directory. Null when memory runs out.
char* BuildFileName(std::string_view trace_name, std::string_view configuration_path) {
  std::size_t directory_length = configuration_path.size();
  while (directory_length > 0 && !IsSeparator(configuration_path[directory_length - 1])) {
    --directory_length;
  }
  char suffix[32];
  const int suffix_length = std::snprintf(suffix, sizeof suffix, "_%lu%s",
                                          static_cast<unsigned long>(os::ProcessId()),
                                          kFileExtension);
  const std::size_t size = directory_length + trace_name.size() + static_cast<std::size_t>(suffix_length) + 1;
  auto* name = static_cast<char*>(Allocate(size));
  if (name == nullptr) return nullptr;
  std::memcpy(name, configuration_path.data(), directory_length);
  std::memcpy(name + directory_length, trace_name.data(), trace_name.size());
  std::memcpy(name + directory_length + trace_name.size(), suffix,
              static_cast<std::size_t>(suffix_length) + 1);
  return name;
}

bool SameName(const char* a, const char* b) { return a != nullptr && b != nullptr && std::strcmp(a, b) == 0; }

bool NameUsedByAnother(const Registration* registration, const char* name) {
  for (const Registration* r = FirstRegistration(); r != nullptr; r = r->next) {
    if (r != registration && r->file != nullptr && SameName(r->file_name, name)) return true;
  }
  return false;
}

// A file seen for the first time starts afresh with a header; a registration that comes back
// to its previous file after deregistering continues it, so that nothing it wrote is lost.
std::FILE* OpenFile(const char* name, bool continue_file, const char* startup_name) {
  std::FILE* file = os::OpenStream(name, continue_file ? "ab" : "wb");
  if (file == nullptr) return nullptr;
  if (continue_file && std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) > 0) return file;
  std::uint8_t header[kHeaderBytes];
  EncodeHeader(header, os::ProcessId(), startup_name);
  if (std::fwrite(header, 1, sizeof header, file) != sizeof header) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

}  // namespace

std::int32_t OpenTraceFile(Registration* registration, const char* trace_name,
                           const char* configuration_path) {
  const std::string_view base_name = BaseNameOf(trace_name);
  if (!IsUsableBaseName(base_name)) return ZT_ERROR_CONFIGURATION;
  char* name = BuildFileName(base_name, configuration_path);
  if (name == nullptr) return ZT_ERROR_RESOURCES;
  if (registration->file != nullptr && SameName(registration->file_name, name)) {
    Release(name);
    return 0;
  }
  if (NameUsedByAnother(registration, name)) {
    Release(name);
    return ZT_ERROR_CONFIGURATION;
  }
  std::FILE* file = OpenFile(name, SameName(registration->file_name, name), registration->startup_name);
  if (file == nullptr) {
    Release(name);
    return ZT_ERROR_CONFIGURATION;
  }
  CloseTraceFile(registration);
  Release(registration->file_name);
  registration->file = file;
  registration->file_name = name;
  return 0;
}

void CloseTraceFile(Registration* registration) {
  if (registration->file == nullptr) return;
  std::fclose(registration->file);
  registration->file = nullptr;
}

std::int32_t AppendRecord(Registration* registration, std::uint16_t type, const void* record,
                          std::uint32_t length, std::uint64_t external_argument) {
  if (length > UINT32_MAX - kRecordFixedBytes) return kErrorBadArgument;
  RecordFields fields;
  fields.type = type;
  fields.sequence = ++registration->sequence;
  std::memcpy(fields.key, registration->key, kKeyBytes);
  fields.external_argument = external_argument;
  std::uint8_t prefix[kLengthFieldBytes + kRecordFixedBytes];
  EncodeRecordPrefix(prefix, fields, length);
  std::FILE* file = registration->file;
  if (std::fwrite(prefix, 1, sizeof prefix, file) != sizeof prefix ||
      (length > 0 && std::fwrite(record, 1, length, file) != length)) {
    return kErrorWriteFailed;
  }
  return 0;
}

}  // namespace kelzt
