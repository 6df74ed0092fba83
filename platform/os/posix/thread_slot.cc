#include <pthread.h>

#include "platform/os/os.h"

namespace kelnl::os {
namespace {

pthread_key_t g_key;
bool g_key_ready = false;
pthread_once_t g_key_once = PTHREAD_ONCE_INIT;

// Runs at thread end for a thread whose value is non-null: the stand-in for thread detach.
void ReleaseAtThreadEnd(void* value) { ReleaseThreadValue(value); }

void CreateKey() { g_key_ready = pthread_key_create(&g_key, ReleaseAtThreadEnd) == 0; }

bool EnsureKey() {
  pthread_once(&g_key_once, CreateKey);
  return g_key_ready;
}

}  // namespace

void* GetThreadSlot() { return EnsureKey() ? pthread_getspecific(g_key) : nullptr; }

bool SetThreadSlot(void* value) { return EnsureKey() && pthread_setspecific(g_key, value) == 0; }

bool ThreadSlotFilledOnFirstUse() { return true; }

}  // namespace kelnl::os
