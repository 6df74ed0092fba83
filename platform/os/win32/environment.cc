#include <windows.h>

#include <cstring>

#include "platform/os/os.h"

namespace kelnl::os {

long GetEnvironment(const char* name, std::size_t name_length, char* buffer, std::size_t size) {
  char terminated[256];
  if (name == nullptr || name_length == 0 || name_length >= sizeof terminated) return -1;
  std::memcpy(terminated, name, name_length);
  terminated[name_length] = '\0';
  // Ask for the length first: the value may be longer than the caller's buffer.
  SetLastError(ERROR_SUCCESS);
  DWORD needed = GetEnvironmentVariableA(terminated, nullptr, 0);
  if (needed == 0) return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? -1 : 0;
  char* value = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, needed));
  if (value == nullptr) return -1;
  DWORD length = GetEnvironmentVariableA(terminated, value, needed);
  if (length >= needed) length = 0;
  if (buffer != nullptr) std::memcpy(buffer, value, length < size ? length : size);
  HeapFree(GetProcessHeap(), 0, value);
  return static_cast<long>(length);
}

}  // namespace kelnl::os
