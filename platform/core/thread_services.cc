// Thread services: mutexes in caller storage, the process-wide initialisation lock.
#include <atomic>

#include "platform/core/core.h"
#include "platform/os/os.h"

namespace {

// The process's thread services. Handles are the address of this record: every handle names
// the same services, so a handle that a caller drops without sltster leaks nothing.
struct ThreadServices {
  std::atomic<long> open_handles{0};
};
ThreadServices g_thread_services;

// Set once by sltspin: the core services' one-time process setup has run.
std::atomic<bool> g_process_ready{false};

std::atomic<kelnl::thread_services_probe::Observer> g_observer{nullptr};

enum : std::int32_t { kOk = 0, kBadHandle = 1, kNoMutex = 2, kOsFailure = 3 };

std::int32_t CheckArguments(void* handle, void* mutex, char operation) {
  if (handle != &g_thread_services) return kBadHandle;
  if (mutex == nullptr) return kNoMutex;
  if (auto observer = g_observer.load(std::memory_order_acquire)) observer(operation, mutex);
  return kOk;
}

}  // namespace

extern "C" {

void* sltsini() {
  g_thread_services.open_handles.fetch_add(1, std::memory_order_relaxed);
  return &g_thread_services;
}

void sltster(void* handle) {
  if (handle == &g_thread_services) g_thread_services.open_handles.fetch_sub(1);
}

std::int32_t sltsmxi(void* handle, void* mutex) {
  std::int32_t status = CheckArguments(handle, mutex, 'i');
  if (status == kOk && !kelnl::os::MutexInit(mutex)) status = kOsFailure;
  return status;
}

std::int32_t sltsmxd(void* handle, void* mutex) {
  std::int32_t status = CheckArguments(handle, mutex, 'd');
  if (status == kOk) kelnl::os::MutexDestroy(mutex);
  return status;
}

std::int32_t sltsmna(void* handle, void* mutex) {
  std::int32_t status = CheckArguments(handle, mutex, 'a');
  if (status == kOk) kelnl::os::MutexLock(mutex);
  return status;
}

std::int32_t sltsmnr(void* handle, void* mutex) {
  std::int32_t status = CheckArguments(handle, mutex, 'r');
  if (status == kOk) kelnl::os::MutexUnlock(mutex);
  return status;
}

// The lock is held only around sltspin, so a spinning waiter yields instead of sleeping.
void sltsima(SltsInitLock* lock) {
  while (lock->held.test_and_set(std::memory_order_acquire)) kelnl::os::YieldThread();
}

void sltsimr(SltsInitLock* lock) { lock->held.clear(std::memory_order_release); }

// One-time process setup of the core services: creating the thread slot now means a later
// per-thread lookup cannot fail for want of it.
void sltspin() {
  if (g_process_ready.load(std::memory_order_acquire)) return;
  kelnl::os::GetThreadSlot();
  g_process_ready.store(true, std::memory_order_release);
}

}  // extern "C"

namespace kelnl::thread_services_probe {

void SetObserver(Observer observer) { g_observer.store(observer, std::memory_order_release); }

}  // namespace kelnl::thread_services_probe
