// The program the spawn tests start. Run as an ordinary program, it writes what it was started
// with into the report file named by its first argument: its process id, TARVO_SID, the probe
// variable and its arguments, one a line. Run by the POSIX service manager (argv[0] is then the
// service name), it reports its process id and the id of a second thread through the service's
// status block and event as a service does, then stays up for a while (until killed), or ends at
// once without reporting when an argument is "silent".
#include <cctype>
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
std::string Lower(const char* text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// A service reports from its service thread, not from its main thread.
int ReportAsService(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "silent") == 0) return 0;
  }
  const std::string name = Lower(argv[0]);
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
#endif

}  // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
  if (std::strncmp(argv[0], "Tarvo", 5) == 0) return ReportAsService(argc, argv);
#endif
  if (argc < 2) return 1;
  return Report(argc, argv);
}
