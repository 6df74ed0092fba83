#include <windows.h>

#include <cstring>

#include "platform/os/os.h"

namespace kelnl::os {
namespace {

// Lives on the starter's stack until the new thread has taken what it needs: a Windows thread
// entry has its own signature and calling convention, so entry and argument travel together.
struct Launch {
  ThreadEntry entry;
  void* argument;
  HANDLE started;
};

DWORD WINAPI RunThread(LPVOID raw) {
  auto* launch = static_cast<Launch*>(raw);
  const ThreadEntry entry = launch->entry;
  void* const argument = launch->argument;
  SetEvent(launch->started);
  return entry(argument);
}

using SetThreadDescriptionCall = HRESULT(WINAPI*)(HANDLE, PCWSTR);

}  // namespace

bool StartThread(ThreadEntry entry, void* argument, void** thread, std::uint32_t* thread_id,
                 std::uint32_t* error) {
  Launch launch{entry, argument, CreateEventA(nullptr, FALSE, FALSE, nullptr)};
  if (launch.started == nullptr) {
    *error = GetLastError();
    return false;
  }
  DWORD id = 0;
  HANDLE handle = CreateThread(nullptr, 0, RunThread, &launch, 0, &id);
  if (handle == nullptr) {
    *error = GetLastError();
    CloseHandle(launch.started);
    return false;
  }
  WaitForSingleObject(launch.started, INFINITE);
  CloseHandle(launch.started);
  *thread = handle;
  *thread_id = id;
  return true;
}

// A thread on its way out may be inside the system's own thread-exit work, holding locks the
// whole process needs: ending it there from outside would leave them held. Its stop event is
// signalled, so the thread is first given the time to end by itself: at most its start-up delay
// and the work in hand. Holding work_lock, no work can be in hand, and the thread ends at once.
constexpr DWORD kSelfEndMilliseconds = 2000;

void EndThread(void* thread, void* work_lock) {
  const auto handle = static_cast<HANDLE>(thread);
  if (WaitForSingleObject(handle, kSelfEndMilliseconds) != WAIT_OBJECT_0) {
    RecursiveMutexLock(work_lock);
    if (WaitForSingleObject(handle, kSelfEndMilliseconds) != WAIT_OBJECT_0) {
      TerminateThread(handle, 0);
      // TerminateThread only starts the ending; the thread must be gone before its data goes.
      WaitForSingleObject(handle, INFINITE);
    }
    RecursiveMutexUnlock(work_lock);
  }
  CloseHandle(handle);
}

void NameCurrentThread(const char* name) {
  // Looked up at run time: the call exists only from Windows 10 on.
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return;
  auto describe = reinterpret_cast<SetThreadDescriptionCall>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetThreadDescription")));
  if (describe == nullptr) return;
  wchar_t wide[16];
  std::size_t i = 0;
  for (; i + 1 < sizeof wide / sizeof wide[0] && name[i] != '\0'; ++i) wide[i] = static_cast<wchar_t>(name[i]);
  wide[i] = L'\0';
  describe(GetCurrentThread(), wide);
}

}  // namespace kelnl::os
