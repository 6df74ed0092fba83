#include <windows.h>

#include "platform/os/os.h"
#include "platform/os/win32/thread_slot.h"

// Process attach allocates the thread slot (the load fails without it); thread attach gives a
// new thread its value; thread detach empties the slot and releases the value; process detach
// frees the slot.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  using namespace kelnl::os;
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return win32::EnsureThreadSlot() ? TRUE : FALSE;
    case DLL_THREAD_ATTACH: {
      void* value = CreateThreadValue();
      if (value != nullptr && !SetThreadSlot(value)) ReleaseThreadValue(value);
      return value != nullptr ? TRUE : FALSE;
    }
    case DLL_THREAD_DETACH: {
      void* value = GetThreadSlot();
      SetThreadSlot(nullptr);
      if (value != nullptr) ReleaseThreadValue(value);
      return TRUE;
    }
    case DLL_PROCESS_DETACH:
      win32::FreeThreadSlot();
      return TRUE;
    default:
      return TRUE;
  }
}
