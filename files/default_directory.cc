// The product's default directory for a file: <home>\<first>\<second>\.
#include "files/name_parts.h"
#include "files/os_record.h"
#include "kelnl/nlfn.h"
#include "platform/os/os.h"

namespace kelnl::files {
namespace {

constexpr std::string_view kNetworkComponent = "network";
constexpr std::string_view kNetworkVariable = "NETWORK";
constexpr std::string_view kHomeVariable = "TARVO_HOME";

// Puts a variable's value into the buffer. Returns false when it does not fit; *present tells
// whether the variable had a value at all (an empty one counts as unset).
bool TakeVariable(NameBuffer& buffer, std::string_view name, bool* present) {
  const long length = kelnl::os::GetEnvironment(name.data(), name.size(), buffer.data, buffer.size);
  *present = length > 0;
  buffer.length = 0;
  if (!*present) return true;
  if (static_cast<std::size_t>(length) > buffer.size) return false;
  buffer.length = static_cast<std::size_t>(length);
  return true;
}

}  // namespace

std::int32_t BuildDefaultDirectory(NlOsErrorRecord* record, NameBuffer& buffer, std::string_view first,
                                   std::string_view second) {
  const char separator = kelnl::os::PathSeparator();
  bool present = false;
  // NETWORK names the network directory itself, standing in for home and first component.
  if (EqualIgnoringCase(first, kNetworkComponent) && !TakeVariable(buffer, kNetworkVariable, &present)) {
    return Fail(record, NLFN_NAME_TOO_LONG);
  }
  if (!present) {
    if (!TakeVariable(buffer, kHomeVariable, &present)) return Fail(record, NLFN_NAME_TOO_LONG);
    if (!present) {
      // Without a product home there is no default directory: the name stays relative.
      if (buffer.size > 0) buffer.data[0] = '\0';
      return 0;
    }
    if ((!buffer.EndsWith(separator) && !buffer.Append(separator)) || !buffer.AppendLowerCase(first)) {
      return Fail(record, NLFN_NAME_TOO_LONG);
    }
  }
  if (!buffer.EndsWith(separator) && !buffer.Append(separator)) return Fail(record, NLFN_NAME_TOO_LONG);
  // An absent second component would otherwise leave a doubled separator at the end.
  if (!second.empty() && !(buffer.AppendLowerCase(second) && buffer.Append(separator))) {
    return Fail(record, NLFN_NAME_TOO_LONG);
  }
  if (!buffer.Terminate()) return Fail(record, NLFN_NAME_TOO_LONG);
  return 0;
}

}  // namespace kelnl::files

extern "C" int32_t snlfndddir(NlOsErrorRecord* record, const char* first, uint32_t first_length,
                              const char* second, uint32_t second_length, char* buffer, uint32_t size,
                              uint32_t* length) {
  using kelnl::files::Text;
  if (buffer == nullptr || length == nullptr) return kelnl::files::Fail(record, NLFN_GENERAL_FAILURE);
  kelnl::files::NameBuffer directory{buffer, size, 0};
  const int32_t code = kelnl::files::BuildDefaultDirectory(record, directory, Text(first, first_length),
                                                           Text(second, second_length));
  *length = code == 0 ? static_cast<uint32_t>(directory.length) : 0;
  return code;
}
