// Appending a file name, with its extension and an optional unique suffix, to a directory.
#include <cerrno>
#include <cstdio>

#include "files/name_parts.h"
#include "files/os_record.h"
#include "kelnl/nlfn.h"
#include "platform/os/os.h"

namespace kelnl::files {
namespace {

constexpr int kUniqueAttempts = 256;
constexpr int kLongestSuffix = 9;  // "_99999_ff"
constexpr std::int32_t kLargestSuffixThread = 99999;

// Thread identifiers that would make the suffix longer than planned are replaced by 0.
std::int32_t SuffixThread() {
  const auto thread = static_cast<std::int32_t>(kelnl::os::ThreadId());
  return (thread < 0 || thread > kLargestSuffixThread) ? 0 : thread;
}

// A base name that already ends in ".<extension>" loses that ending, so that "brisol.kel" and
// "brisol" both give "brisol.kel", spelt with the extension as the caller gives it.
std::string_view WithoutExtension(std::string_view base, std::string_view extension) {
  if (extension.empty() || base.size() <= extension.size()) return base;
  const std::size_t dot = base.size() - extension.size() - 1;
  if (base[dot] != '.' || !EqualIgnoringCase(Slice(base, dot + 1), extension)) return base;
  return Slice(base, 0, dot);
}

bool AppendExtension(NameBuffer& buffer, std::string_view extension) {
  return extension.empty() || (buffer.Append('.') && buffer.Append(extension));
}

// Tries suffixes until a name is unused; after the last attempt its name is taken regardless.
std::int32_t AppendUniqueEnding(NlOsErrorRecord* record, NameBuffer& buffer, std::string_view extension) {
  const std::size_t base_end = buffer.length;
  const std::int32_t thread = SuffixThread();
  for (int attempt = 0; attempt < kUniqueAttempts; ++attempt) {
    char suffix[32];
    const int suffix_length = attempt == 0 ? std::snprintf(suffix, sizeof suffix, "_%d", thread)
                                           : std::snprintf(suffix, sizeof suffix, "_%d_%x", thread, attempt);
    if (suffix_length > kLongestSuffix) return Fail(record, NLFN_SUFFIX_TOO_LONG);
    buffer.length = base_end;
    if (!buffer.Append(std::string_view(suffix, static_cast<std::size_t>(suffix_length))) ||
        !AppendExtension(buffer, extension) || !buffer.Terminate()) {
      return Fail(record, NLFN_NAME_TOO_LONG);
    }
    // Only "no such file" frees a name: a file we may not even look at is not ours to take.
    if (kelnl::os::ProbeAccess(buffer.data, 0) == ENOENT) return 0;
  }
  return 0;
}

}  // namespace

std::int32_t AppendFileName(NlOsErrorRecord* record, NameBuffer& buffer, std::string_view base,
                            std::string_view extension, std::uint32_t flags) {
  const char separator = kelnl::os::PathSeparator();
  if (buffer.length > 0 && !buffer.EndsWith(separator) && !buffer.Append(separator)) {
    return Fail(record, NLFN_NAME_TOO_LONG);
  }
  if (!buffer.Append(WithoutExtension(base, extension))) return Fail(record, NLFN_NAME_TOO_LONG);
  if ((flags & NLFN_UNIQUE_NAME) != 0) return AppendUniqueEnding(record, buffer, extension);
  if (!AppendExtension(buffer, extension) || !buffer.Terminate()) return Fail(record, NLFN_NAME_TOO_LONG);
  return 0;
}

}  // namespace kelnl::files

// Writes the record only on failure: nlfncons calls it after an existence probe whose outcome
// the record must keep.
extern "C" int32_t snlfnfname(NlOsErrorRecord* record, const char* base, uint32_t base_length,
                              const char* extension, uint32_t extension_length, uint32_t flags, char* buffer,
                              uint32_t size, uint32_t* length) {
  using kelnl::files::Text;
  if (buffer == nullptr || length == nullptr) return kelnl::files::Fail(record, NLFN_NO_OUTPUT_BUFFER);
  // The directory already in the buffer cannot be longer than the buffer.
  if (*length > size) return kelnl::files::Fail(record, NLFN_NAME_TOO_LONG);
  kelnl::files::NameBuffer name{buffer, size, *length};
  const int32_t code = kelnl::files::AppendFileName(record, name, Text(base, base_length),
                                                    Text(extension, extension_length), flags);
  if (code == 0) *length = static_cast<uint32_t>(name.length);
  return code;
}
