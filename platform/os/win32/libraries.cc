#include <windows.h>

#include "platform/os/processes.h"

namespace kelnl::os {

void* LoadLibraryFile(const char* name) { return LoadLibraryA(name); }

void* LibrarySymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void UnloadLibrary(void* library) {
  if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

bool StartRemoteThread(ProcessInformation* server, std::uintptr_t start_address, std::size_t stack_size,
                       std::uint32_t* thread_id, std::uint32_t* error) {
  DWORD id = 0;
  HANDLE thread = CreateRemoteThread(static_cast<HANDLE>(server->process), nullptr, stack_size,
                                     reinterpret_cast<LPTHREAD_START_ROUTINE>(start_address), nullptr, 0, &id);
  if (thread == nullptr) {
    *error = GetLastError();
    return false;
  }
  CloseHandle(thread);
  *thread_id = id;
  return true;
}

}  // namespace kelnl::os
