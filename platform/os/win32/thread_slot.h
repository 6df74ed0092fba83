// Shared by the Windows thread-slot functions and the DLL entry point.
#ifndef KELNL_PLATFORM_OS_WIN32_THREAD_SLOT_H
#define KELNL_PLATFORM_OS_WIN32_THREAD_SLOT_H

namespace kelnl::os::win32 {

// Allocates the process's TLS slot if it does not exist yet; false when TlsAlloc fails.
bool EnsureThreadSlot();
// Frees the slot at process detach.
void FreeThreadSlot();

}  // namespace kelnl::os::win32

#endif
