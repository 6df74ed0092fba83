#include <windows.h>

#include "platform/os/os.h"
#include "platform/os/win32/thread_slot.h"

namespace kelnl::os {
namespace {

// TLS_OUT_OF_INDEXES until allocated. The DLL entry point allocates it at process attach; a
// static link (the test programs) allocates it at first use instead, under a one-time init.
DWORD g_slot = TLS_OUT_OF_INDEXES;
INIT_ONCE g_slot_once = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK AllocateSlot(PINIT_ONCE, PVOID, PVOID*) {
  if (g_slot == TLS_OUT_OF_INDEXES) g_slot = TlsAlloc();
  return TRUE;
}

}  // namespace

namespace win32 {

bool EnsureThreadSlot() {
  InitOnceExecuteOnce(&g_slot_once, AllocateSlot, nullptr, nullptr);
  return g_slot != TLS_OUT_OF_INDEXES;
}

void FreeThreadSlot() {
  if (g_slot != TLS_OUT_OF_INDEXES) TlsFree(g_slot);
  g_slot = TLS_OUT_OF_INDEXES;
}

}  // namespace win32

void* GetThreadSlot() { return win32::EnsureThreadSlot() ? TlsGetValue(g_slot) : nullptr; }

bool SetThreadSlot(void* value) {
  return win32::EnsureThreadSlot() && TlsSetValue(g_slot, value) != FALSE;
}

// Records come only from thread attach, so threads that ran before the DLL loaded have none.
bool ThreadSlotFilledOnFirstUse() { return false; }

}  // namespace kelnl::os
