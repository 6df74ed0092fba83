#include "platform/ztrace/registration.h"

#include <atomic>
#include <cstring>
#include <new>

#include "platform/ztrace/zt_memory.h"

namespace kelzt {
namespace os = kelnl::os;
namespace {

// The list mutex is made by the first caller and never destroyed (registrations may be ended
// from atexit handlers, after static destruction). It is set up through a constant-initialised
// atomic rather than a function-local static: the latter's guard would tie kelzt8.dll to the
// compiler's thread runtime DLL.
enum : int { kMutexUnset, kMutexInitialising, kMutexReady };
alignas(void*) unsigned char list_mutex[os::kMutexStorageBytes];
std::atomic<int> list_mutex_state{kMutexUnset};

void* ListMutex() {
  if (list_mutex_state.load(std::memory_order_acquire) == kMutexReady) return list_mutex;
  int expected = kMutexUnset;
  if (list_mutex_state.compare_exchange_strong(expected, kMutexInitialising)) {
    os::MutexInit(list_mutex);
    list_mutex_state.store(kMutexReady, std::memory_order_release);
  } else {
    while (list_mutex_state.load(std::memory_order_acquire) != kMutexReady) os::YieldThread();
  }
  return list_mutex;
}

Registration* first_registration = nullptr;
uintptr_t last_state = 0;

}  // namespace

ListLock::ListLock() { os::MutexLock(ListMutex()); }
ListLock::~ListLock() { os::MutexUnlock(ListMutex()); }

Registration* CreateRegistration(const char* startup_name) {
  void* block = Allocate(sizeof(Registration));
  if (block == nullptr) return nullptr;
  auto* registration = new (block) Registration;
  if (!os::MutexInit(registration->lock)) {
    registration->~Registration();
    Release(block);
    return nullptr;
  }
  if (startup_name != nullptr) {
    std::memcpy(registration->startup_name, startup_name, kStartupNameBytes);
  }
  // State words are serials, so a stale or foreign word is recognised instead of followed.
  if (++last_state == 0) ++last_state;
  registration->state = last_state;
  registration->next = first_registration;
  first_registration = registration;
  return registration;
}

Registration* FindRegistration(uintptr_t state) {
  for (Registration* r = first_registration; r != nullptr; r = r->next) {
    if (r->state == state) return r;
  }
  return nullptr;
}

Registration* FirstRegistration() { return first_registration; }

void DestroyRegistration(Registration* registration) {
  for (Registration** link = &first_registration; *link != nullptr; link = &(*link)->next) {
    if (*link == registration) {
      *link = registration->next;
      break;
    }
  }
  // A writer that found the registration before it was unlinked still holds its lock.
  LockRegistration(registration);
  registration->trace_on.store(0);
  CloseTraceFile(registration);
  UnlockRegistration(registration);
  Release(registration->file_name);
  os::MutexDestroy(registration->lock);
  registration->magic = 0;
  registration->~Registration();
  Release(registration);
}

void LockRegistration(Registration* registration) { os::MutexLock(registration->lock); }
void UnlockRegistration(Registration* registration) { os::MutexUnlock(registration->lock); }

}  // namespace kelzt
