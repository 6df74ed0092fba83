#include <windows.h>

#include <cstring>

#include "platform/os/os.h"

namespace kelnl::os {

long LoginName(char* buffer, std::size_t size) {
  char name[257];
  DWORD length = sizeof name;
  if (GetUserNameA(name, &length) == FALSE || length == 0) return -1;
  length -= 1;  // the count includes the terminator
  if (length > size) return -1;
  std::memcpy(buffer, name, length);
  return static_cast<long>(length);
}

}  // namespace kelnl::os
