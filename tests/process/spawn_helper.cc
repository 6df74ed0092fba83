// The program the spawn tests start. Run as an ordinary program, it writes what it was started
// with into the report file named by its first argument: its process id, TARVO_SID, the probe
// variable and its arguments, one a line. Run by the POSIX service manager (argv[0] is then the
// service name), it reports its process id and the id of a second thread through the service's
// status block and event as a service does, then stays up for a while (until killed), or ends at
// once without reporting when an argument is "silent". Run as qlbxsrv, it is the shared server:
// it starts a thread for each request that comes through its request block and semaphores, and
// removes them again once no request has come for two seconds.
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

int Report(int argc, char** argv) {
  std::FILE* file = std::fopen(argv[1], "w");
  if (file == nullptr) return 1;
  const char* sid = std::getenv("TARVO_SID");
  const char* probe = std::getenv("KELNL_SPAWN_PROBE");
  std::fprintf(file, "pid %d\nsid %s\nprobe %s\n", static_cast<int>(getpid()), sid ? sid : "(unset)",
               probe ? probe : "(unset)");
  for (int i = 0; i < argc; ++i) std::fprintf(file, "arg %s\n", argv[i]);
  return std::fclose(file) == 0 ? 0 : 1;
}

#ifndef _WIN32
// A service reports from its service thread, not from its main thread.
int ReportAsService(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "silent") == 0) return 0;
  }
  std::string name = argv[0];
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const int descriptor = shm_open(("/status_" + name + ".kel").c_str(), O_RDWR, 0);
  sem_t* event = sem_open(("/event_" + name + ".kel").c_str(), 0);
  if (descriptor < 0 || event == SEM_FAILED) return 2;
  void* mapped = mmap(nullptr, 12, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
  close(descriptor);
  if (mapped == MAP_FAILED) return 2;
  std::thread service([&] {
    auto* words = static_cast<volatile unsigned*>(mapped);
    words[1] = static_cast<unsigned>(getpid());
    words[2] = static_cast<unsigned>(syscall(SYS_gettid));
    sem_post(event);
  });
  service.join();
  std::this_thread::sleep_for(std::chrono::seconds(10));
  return 0;
}
struct ThreadRequest {
  std::uint64_t start_address;
  std::uint32_t thread_id;
};

bool WaitSeconds(sem_t* semaphore, int seconds) {
  timespec deadline{};
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_sec += seconds;
  while (sem_timedwait(semaphore, &deadline) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

int ServeThreads() {
  const std::string prefix = "/qlbx_" + std::to_string(getpid());
  const std::string block_name = prefix + ".kel";
  const std::string request_name = prefix + "_request.kel";
  const std::string reply_name = prefix + "_reply.kel";
  sem_t* request = sem_open(request_name.c_str(), O_CREAT, 0600, 0);
  sem_t* reply = sem_open(reply_name.c_str(), O_CREAT, 0600, 0);
  // The block comes last: its appearance tells callers the server is ready.
  const int descriptor = shm_open(block_name.c_str(), O_CREAT | O_RDWR, 0600);
  if (request == SEM_FAILED || reply == SEM_FAILED || descriptor < 0 ||
      ftruncate(descriptor, sizeof(ThreadRequest)) != 0) {
    return 2;
  }
  void* mapped = mmap(nullptr, sizeof(ThreadRequest), PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
  close(descriptor);
  if (mapped == MAP_FAILED) return 2;
  auto* block = static_cast<volatile ThreadRequest*>(mapped);
  while (WaitSeconds(request, 2)) {
    std::thread served([&] {
      block->thread_id = static_cast<std::uint32_t>(syscall(SYS_gettid));
      sem_post(reply);
    });
    served.join();
  }
  shm_unlink(block_name.c_str());
  sem_unlink(request_name.c_str());
  sem_unlink(reply_name.c_str());
  return 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
  if (std::strncmp(argv[0], "Tarvo", 5) == 0) return ReportAsService(argc, argv);
  const std::size_t length = std::strlen(argv[0]);
  if (length >= 7 && std::strcmp(argv[0] + length - 7, "qlbxsrv") == 0) return ServeThreads();
#endif
  if (argc < 2) return 1;
  return Report(argc, argv);
}
