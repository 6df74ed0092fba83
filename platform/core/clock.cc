#include "platform/core/core.h"
#include "platform/os/os.h"

extern "C" std::uint32_t sltmgcs(SlCoreError* error) {
  if (error != nullptr) *error = SlCoreError{0, 0};
  return static_cast<std::uint32_t>(kelnl::os::WallClockMilliseconds() / 10);
}
