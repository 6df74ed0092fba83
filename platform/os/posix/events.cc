// Named auto-reset events from a mutex, a condition variable and a flag. Names are known within
// the process only: a registry of the events that have open handles.
#include <pthread.h>
#include <time.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "platform/os/os.h"

namespace kelnl::os {
namespace {

struct Event {
  pthread_mutex_t mutex;
  pthread_cond_t condition;  // waits measure time on the monotonic clock
  bool signalled;
  int handles;               // guarded by the registry lock
  Event* next_named;
  char name[32];
};
static_assert(sizeof(Event) <= kEventStorageBytes, "event storage too small");

pthread_mutex_t g_registry_lock = PTHREAD_MUTEX_INITIALIZER;
Event* g_registry = nullptr;

Event* FindNamed(const char* name) {
  for (Event* event = g_registry; event != nullptr; event = event->next_named) {
    if (std::strcmp(event->name, name) == 0) return event;
  }
  return nullptr;
}

bool InitEvent(Event* event, const char* name, std::uint32_t* error) {
  pthread_condattr_t attributes;
  int result = pthread_condattr_init(&attributes);
  if (result == 0) {
    result = pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    if (result == 0) result = pthread_cond_init(&event->condition, &attributes);
    pthread_condattr_destroy(&attributes);
  }
  if (result != 0) {
    *error = static_cast<std::uint32_t>(result);
    return false;
  }
  pthread_mutex_init(&event->mutex, nullptr);
  event->signalled = false;
  event->handles = 1;
  std::strncpy(event->name, name, sizeof event->name - 1);
  event->name[sizeof event->name - 1] = '\0';
  return true;
}

timespec DeadlineAfter(std::uint32_t milliseconds) {
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += static_cast<time_t>(milliseconds / 1000);
  deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000L;
  }
  return deadline;
}

}  // namespace

bool CreateNamedEvent(const char* name, void* storage, void** event, std::uint32_t* error) {
  pthread_mutex_lock(&g_registry_lock);
  bool made = false;
  if (FindNamed(name) != nullptr) {
    *error = EEXIST;  // one event per name, so an open always finds the one its creator meant
  } else {
    auto* created = new (storage) Event;
    made = InitEvent(created, name, error);
    if (made) {
      created->next_named = g_registry;
      g_registry = created;
      *event = created;
    }
  }
  pthread_mutex_unlock(&g_registry_lock);
  return made;
}

bool OpenNamedEvent(const char* name, void** event, std::uint32_t* error) {
  pthread_mutex_lock(&g_registry_lock);
  Event* found = FindNamed(name);
  if (found != nullptr) {
    ++found->handles;
    *event = found;
  } else {
    *error = ENOENT;
  }
  pthread_mutex_unlock(&g_registry_lock);
  return found != nullptr;
}

bool SignalEvent(void* raw) {
  auto* event = static_cast<Event*>(raw);
  pthread_mutex_lock(&event->mutex);
  event->signalled = true;
  pthread_cond_signal(&event->condition);
  pthread_mutex_unlock(&event->mutex);
  return true;
}

bool WaitForEvent(void* raw, std::uint32_t timeout_milliseconds) {
  auto* event = static_cast<Event*>(raw);
  const timespec deadline = DeadlineAfter(timeout_milliseconds);
  pthread_mutex_lock(&event->mutex);
  while (!event->signalled) {
    if (pthread_cond_timedwait(&event->condition, &event->mutex, &deadline) == ETIMEDOUT) break;
  }
  const bool signalled = event->signalled;
  event->signalled = false;
  pthread_mutex_unlock(&event->mutex);
  return signalled;
}

void CloseEvent(void* raw) {
  auto* event = static_cast<Event*>(raw);
  pthread_mutex_lock(&g_registry_lock);
  const bool last = --event->handles == 0;
  if (last) {
    for (Event** link = &g_registry; *link != nullptr; link = &(*link)->next_named) {
      if (*link == event) {
        *link = event->next_named;
        break;
      }
    }
  }
  pthread_mutex_unlock(&g_registry_lock);
  if (last) {
    pthread_cond_destroy(&event->condition);
    pthread_mutex_destroy(&event->mutex);
  }
}

}  // namespace kelnl::os
