// Named auto-reset events are kernel events; the caller's storage is not needed.
#include <windows.h>

#include "platform/os/os.h"

namespace kelnl::os {

bool CreateNamedEvent(const char* name, void* /*storage*/, void** event, std::uint32_t* error) {
  HANDLE handle = CreateEventA(nullptr, FALSE, FALSE, name);
  if (handle == nullptr) {
    *error = GetLastError();
    return false;
  }
  *event = handle;
  return true;
}

bool OpenNamedEvent(const char* name, void** event, std::uint32_t* error) {
  HANDLE handle = OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name);
  if (handle == nullptr) {
    *error = GetLastError();
    return false;
  }
  *event = handle;
  return true;
}

bool SignalEvent(void* event) { return SetEvent(static_cast<HANDLE>(event)) != 0; }

bool WaitForEvent(void* event, std::uint32_t timeout_milliseconds) {
  return WaitForSingleObject(static_cast<HANDLE>(event), timeout_milliseconds) == WAIT_OBJECT_0;
}

void CloseEvent(void* event) { CloseHandle(static_cast<HANDLE>(event)); }

}  // namespace kelnl::os
