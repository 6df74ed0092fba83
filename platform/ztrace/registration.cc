#include "platform/ztrace/registration.h"

#include <cstring>
#include <new>

#include "platform/ztrace/zt_memory.h"

namespace kelzt {
namespace os = kelnl::os;
namespace {

// Made at the first use and never destroyed: registrations may outlive static destruction
// (a component that terminates its trace from an atexit handler).
struct ListMutex {
  alignas(void*) unsigned char storage[os::kMutexStorageBytes];
  ListMutex() { os::MutexInit(storage); }
};

ListMutex& TheListMutex() {
  static ListMutex mutex;
  return mutex;
}

Registration* first_registration = nullptr;
uintptr_t last_state = 0;

}  // namespace

ListLock::ListLock() { os::MutexLock(TheListMutex().storage); }
ListLock::~ListLock() { os::MutexUnlock(TheListMutex().storage); }

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
