#include <dlfcn.h>
#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/os/posix/child_processes.h"
#include "platform/os/posix/slice_wait.h"
#include "platform/os/processes.h"

namespace kelnl::os {
namespace {

// The server's request block: the start address, then the id of the thread it started.
struct RemoteThreadRequest {
  std::uint64_t start_address;
  std::uint32_t thread_id;
};

// Windows answers a remote thread at once; a server that has not answered within this time is
// taken as one that never will.
constexpr int kReplySlices = 300;

bool WaitForReply(sem_t* reply, pid_t server) {
  for (int slice = 0; slice < kReplySlices; ++slice) {
    const SliceWait wait = WaitOneSlice(reply);
    if (wait != SliceWait::kTimedOut) return wait == SliceWait::kPosted;
    if (!ProcessExists(server)) return false;
  }
  return false;
}

// A server just started makes its request block when it is ready to take requests.
int OpenRequestBlock(const char* name, pid_t server) {
  for (int slice = 0; slice < kReplySlices; ++slice) {
    const int descriptor = shm_open(name, O_RDWR, 0);
    if (descriptor >= 0 || errno != ENOENT || !ProcessExists(server)) return descriptor;
    const timespec pause{0, kWaitSliceNanoseconds};
    nanosleep(&pause, nullptr);
  }
  errno = ETIMEDOUT;
  return -1;
}

}  // namespace

void* LoadLibraryFile(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }
void* LibrarySymbol(void* library, const char* name) { return dlsym(library, name); }
void UnloadLibrary(void* library) {
  if (library != nullptr) dlclose(library);
}

// No process can start a thread inside another here: the server does it on request.
bool StartRemoteThread(ProcessInformation* server, std::uintptr_t start_address, std::size_t,
                       std::uint32_t* thread_id, std::uint32_t* error) {
  const auto pid = static_cast<pid_t>(server->process_id);
  char block_name[64];
  char request_name[64];
  char reply_name[64];
  std::snprintf(block_name, sizeof block_name, "/qlbx_%d.kel", static_cast<int>(pid));
  std::snprintf(request_name, sizeof request_name, "/qlbx_%d_request.kel", static_cast<int>(pid));
  std::snprintf(reply_name, sizeof reply_name, "/qlbx_%d_reply.kel", static_cast<int>(pid));
  const int descriptor = OpenRequestBlock(block_name, pid);
  if (descriptor < 0) {
    *error = static_cast<std::uint32_t>(errno);
    return false;
  }
  void* mapped = mmap(nullptr, sizeof(RemoteThreadRequest), PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
  close(descriptor);
  sem_t* request = sem_open(request_name, 0);
  sem_t* reply = sem_open(reply_name, 0);
  bool done = false;
  if (mapped != MAP_FAILED && request != SEM_FAILED && reply != SEM_FAILED) {
    auto* block = static_cast<volatile RemoteThreadRequest*>(mapped);
    block->start_address = start_address;
    block->thread_id = 0;
    done = sem_post(request) == 0 && WaitForReply(reply, pid);
    if (done) *thread_id = block->thread_id;
  }
  *error = done ? 0 : static_cast<std::uint32_t>(errno != 0 ? errno : ESRCH);
  if (mapped != MAP_FAILED) munmap(mapped, sizeof(RemoteThreadRequest));
  if (request != SEM_FAILED) sem_close(request);
  if (reply != SEM_FAILED) sem_close(reply);
  return done;
}

}  // namespace kelnl::os
