#include <pthread.h>
#include <semaphore.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/os/os.h"

namespace kelnl::os {
namespace {

static_assert(sizeof(pthread_t) <= sizeof(void*), "a thread handle is kept in a pointer");

// Lives on the starter's stack until the new thread has taken what it needs and reported its
// id, which only the new thread can read.
struct Launch {
  ThreadEntry entry;
  void* argument;
  std::uint32_t thread_id;
  sem_t started;
};

void* RunThread(void* raw) {
  auto* launch = static_cast<Launch*>(raw);
  const ThreadEntry entry = launch->entry;
  void* const argument = launch->argument;
  launch->thread_id = ThreadId();
  sem_post(&launch->started);
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(entry(argument)));
}

}  // namespace

bool StartThread(ThreadEntry entry, void* argument, void** thread, std::uint32_t* thread_id,
                 std::uint32_t* error) {
  Launch launch{entry, argument, 0, {}};
  if (sem_init(&launch.started, 0, 0) != 0) {
    *error = static_cast<std::uint32_t>(errno);
    return false;
  }
  pthread_t native;
  const int result = pthread_create(&native, nullptr, RunThread, &launch);
  if (result != 0) {
    sem_destroy(&launch.started);
    *error = static_cast<std::uint32_t>(result);
    return false;
  }
  while (sem_wait(&launch.started) != 0 && errno == EINTR) {
  }
  sem_destroy(&launch.started);
  *thread = nullptr;
  std::memcpy(thread, &native, sizeof native);
  *thread_id = launch.thread_id;
  return true;
}

void EndThread(void* thread, void* /*work_lock*/) {
  pthread_t native;
  std::memcpy(&native, &thread, sizeof native);
  pthread_join(native, nullptr);
}

void NameCurrentThread(const char* name) {
  char cut[16];
  std::strncpy(cut, name, sizeof cut - 1);
  cut[sizeof cut - 1] = '\0';
  pthread_setname_np(pthread_self(), cut);
}

}  // namespace kelnl::os
