#include "process/timer_thread.h"

#include <atomic>
#include <cstdio>

#include "kelnl/nlerrors.h"
#include "platform/core/allocator.h"

namespace kelnl::timers {
namespace {

struct ThreadRecord {
  NlTimerThread thread;
  alignas(void*) unsigned char event_storage[os::kEventStorageBytes];
};

std::atomic<std::uint32_t> g_injected_start_error{0};

// "Timer" and the thread id in upper-case hexadecimal: at most 13 characters.
struct EventName {
  explicit EventName(std::uint32_t thread_id) {
    std::snprintf(text, sizeof text, "Timer%X", static_cast<unsigned>(thread_id));
  }
  char text[16];
};

std::uint32_t RunTimerThread(void* argument) {
  auto* context = static_cast<NlGlobalContext*>(argument);
  // The starter creates the event only once it knows this thread's id.
  os::SleepMilliseconds(kThreadStartDelayMilliseconds);
  const EventName name(os::ThreadId());
  void* stop_event = nullptr;
  std::uint32_t error = 0;
  if (!os::OpenNamedEvent(name.text, &stop_event, &error)) return error;  // callers drive instead
  os::NameCurrentThread(name.text);
  ServiceRecord* service = ServiceOf(LoadFacility(context));
  // Waiting on the event rather than sleeping lets a stop end the wait at once.
  do {
    LockService(service);
    nltmdrv(context, nullptr, nullptr);
    UnlockService(service);
  } while (!os::WaitForEvent(stop_event, kThreadPollMilliseconds));
  os::CloseEvent(stop_event);
  return 0;
}

}  // namespace

std::int32_t StartTimerThread(NlGlobalContext* context, ServiceRecord* service) {
  auto* record = static_cast<ThreadRecord*>(AllocateZeroed(1, sizeof(ThreadRecord)));
  if (record == nullptr) return PushTimerSystemError(context, NLE_TIMER_NO_MEMORY, 0);
  NlTimerThread& thread = record->thread;
  std::uint32_t error = g_injected_start_error.load(std::memory_order_relaxed);
  if (error != 0 || !os::StartThread(RunTimerThread, context, &thread.thread, &thread.thread_id, &error)) {
    Release(record);
    return PushTimerSystemError(context, NLE_TIMER_THREAD_FAILED, error);
  }
  const EventName name(thread.thread_id);
  if (!os::CreateNamedEvent(name.text, record->event_storage, &thread.stop_event, &error)) {
    // Finding no event, the thread ends by itself.
    os::EndThread(thread.thread, service->lock);
    Release(record);
    return PushTimerSystemError(context, NLE_TIMER_THREAD_FAILED, error);
  }
  service->facility.thread = &thread;
  return 0;
}

void StopTimerThread(ServiceRecord* service) {
  NlTimerThread* thread = service->facility.thread;
  if (thread == nullptr) return;
  os::SignalEvent(thread->stop_event);  // a failure leaves the ending to EndThread
  os::EndThread(thread->thread, service->lock);
  os::CloseEvent(thread->stop_event);
  service->facility.thread = nullptr;
  // The documented record is the first member of the allocated one.
  Release(reinterpret_cast<ThreadRecord*>(thread));
}

void FailThreadStartsForTesting(std::uint32_t system_error) {
  g_injected_start_error.store(system_error, std::memory_order_relaxed);
}

}  // namespace kelnl::timers
