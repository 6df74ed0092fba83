#include "platform/core/core.h"
#include "platform/os/os.h"

namespace {
enum : std::int32_t { kNotSet = 1, kBadArgument = 2 };
}

extern "C" std::int32_t slzgetevar(SlCoreError* error, const char* name, std::size_t name_length,
                                   char* buffer, std::size_t size, std::int32_t) {
  if (error != nullptr) *error = SlCoreError{0, 0};
  if (name == nullptr || (buffer == nullptr && size != 0)) {
    if (error != nullptr) error->code = kBadArgument;
    return -1;
  }
  const long length = kelnl::os::GetEnvironment(name, name_length, buffer, size);
  if (length < 0) {
    if (error != nullptr) error->code = kNotSet;
    return -1;
  }
  // A value longer than the buffer was cut at size bytes; the copied length is what callers get.
  return static_cast<std::int32_t>(static_cast<std::size_t>(length) < size ? static_cast<std::size_t>(length) : size);
}
