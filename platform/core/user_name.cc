#include "platform/core/core.h"
#include "platform/os/os.h"

namespace {
enum : std::int32_t { kNoUserName = 1 };
}

extern "C" std::int32_t sigunmu(SlCoreError* error, char* buffer, std::int32_t size) {
  if (error != nullptr) *error = SlCoreError{0, 0};
  const long length = buffer == nullptr || size <= 0 ? -1 : kelnl::os::LoginName(buffer, static_cast<std::size_t>(size));
  if (length < 0) {
    if (error != nullptr) error->code = kNoUserName;
    return -1;
  }
  return static_cast<std::int32_t>(length);
}
