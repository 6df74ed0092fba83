#include <pwd.h>
#include <unistd.h>

#include <cstring>

#include "platform/os/os.h"

namespace kelnl::os {

long LoginName(char* buffer, std::size_t size) {
  passwd entry{};
  passwd* found = nullptr;
  char storage[4096];
  if (getpwuid_r(geteuid(), &entry, storage, sizeof storage, &found) != 0 || found == nullptr) return -1;
  const std::size_t length = std::strlen(found->pw_name);
  if (length > size) return -1;
  std::memcpy(buffer, found->pw_name, length);
  return static_cast<long>(length);
}

}  // namespace kelnl::os
