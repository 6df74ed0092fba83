#include <cstdlib>
#include <cstring>

#include "platform/os/os.h"

namespace kelnl::os {

long GetEnvironment(const char* name, std::size_t name_length, char* buffer, std::size_t size) {
  char terminated[256];
  if (name == nullptr || name_length == 0 || name_length >= sizeof terminated) return -1;
  std::memcpy(terminated, name, name_length);
  terminated[name_length] = '\0';
  const char* value = std::getenv(terminated);
  if (value == nullptr) return -1;
  std::size_t length = std::strlen(value);
  if (buffer != nullptr) std::memcpy(buffer, value, length < size ? length : size);
  return static_cast<long>(length);
}

}  // namespace kelnl::os
