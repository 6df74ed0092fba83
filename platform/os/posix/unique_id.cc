#include <uuid/uuid.h>

#include <cstring>

#include "platform/os/os.h"

namespace kelnl::os {

// libuuid lays a uuid_t out with each field most significant byte first, which is already the
// identifier's byte order. Its random generator falls back on its own source when the system's
// is unavailable, so it has no failure to report.
GuidResult CreateGuid(std::uint8_t bytes[16]) {
  uuid_t generated;
  uuid_generate_random(generated);
  std::memcpy(bytes, generated, sizeof generated);
  return GuidResult::kOk;
}

}  // namespace kelnl::os
