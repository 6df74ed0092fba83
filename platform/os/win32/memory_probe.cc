#include <windows.h>

#include "platform/os/os.h"

namespace kelnl::os {

bool IsReadable(const void* address, std::size_t length) {
  if (address == nullptr) return false;
  return IsBadReadPtr(address, length) == FALSE;
}

}  // namespace kelnl::os
