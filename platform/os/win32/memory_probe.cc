#include <windows.h>

#include "platform/os/os.h"

namespace kelnl::os {

bool IsReadable(const void* address, std::size_t length) {
  if (address == nullptr) return false;
  return IsBadReadPtr(address, length) == FALSE;
}

// Large pages on Windows must be reserved up front by a process holding the lock-memory
// privilege; a heap block cannot be switched over afterwards, so there is nothing to ask for.
void AdviseLargePages(void*, std::size_t) {}

}  // namespace kelnl::os
