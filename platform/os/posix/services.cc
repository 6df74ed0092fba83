// A small service manager in place of the Windows one: registrations are files in a directory of
// the user's own, a running instance is the process recorded beside its registration, and a
// service reports through POSIX shared memory and a named semaphore.
#include <fcntl.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/core/allocator.h"
#include "platform/os/posix/child_processes.h"
#include "platform/os/posix/slice_wait.h"
#include "platform/os/processes.h"

extern char** environ;

namespace kelnl::os {
namespace {

constexpr std::size_t kPathCapacity = 1100;
constexpr std::size_t kReportBytes = 3 * sizeof(std::uint32_t);
constexpr std::uint32_t kServiceStateStopped = 1;
constexpr std::uint32_t kInvalidServiceName = 123;  // ERROR_INVALID_NAME

struct Manager {
  char directory[64];
};

struct Service {
  char registration[kPathCapacity];
  char pid_file[kPathCapacity];
  char name[kPathCapacity];
  char image[kPathCapacity];
};

// A service name becomes a file name: it must stay one.
bool UsableName(const char* name) { return name[0] != '\0' && name[0] != '.' && std::strchr(name, '/') == nullptr; }

bool ServicePaths(const Manager* manager, const char* name, Service* service) {
  const int a = std::snprintf(service->registration, kPathCapacity, "%s/%s", manager->directory, name);
  const int b = std::snprintf(service->pid_file, kPathCapacity, "%s/%s.pid", manager->directory, name);
  const int c = std::snprintf(service->name, kPathCapacity, "%s", name);
  return a > 0 && b > 0 && c > 0 && static_cast<std::size_t>(b) < kPathCapacity;
}

bool ReadSmallFile(const char* path, char* buffer, std::size_t size) {
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) return false;
  const std::size_t length = std::fread(buffer, 1, size - 1, file);
  std::fclose(file);
  buffer[length] = '\0';
  return true;
}

pid_t RecordedPid(const char* pid_file) {
  char text[32];
  if (!ReadSmallFile(pid_file, text, sizeof text)) return 0;
  return static_cast<pid_t>(std::atol(text));
}

bool RunningPid(const char* pid_file, pid_t* pid) {
  *pid = RecordedPid(pid_file);
  return *pid > 0 && ProcessExists(*pid);
}

// The registered image path is the executable, a blank and the argument text (empty here).
void ExecutableOf(const char* image, char* executable, std::size_t size) {
  std::snprintf(executable, size, "%s", image);
  if (char* blank = std::strrchr(executable, ' ')) *blank = '\0';
}

bool Fail(std::uint32_t* error, std::uint32_t value) {
  *error = value;
  return false;
}

}  // namespace

bool OpenServiceManager(void** manager, std::uint32_t* error) {
  auto* opened = static_cast<Manager*>(Allocate(sizeof(Manager)));
  if (opened == nullptr) return Fail(error, ENOMEM);
  std::snprintf(opened->directory, sizeof opened->directory, "/tmp/kelnl-services-%u",
                static_cast<unsigned>(getuid()));
  struct stat info {};
  if ((mkdir(opened->directory, 0700) != 0 && errno != EEXIST) || lstat(opened->directory, &info) != 0 ||
      !S_ISDIR(info.st_mode) || info.st_uid != getuid()) {
    // A directory someone else made in /tmp is no registry to trust.
    Release(opened);
    return Fail(error, EACCES);
  }
  *manager = opened;
  return true;
}

void CloseServiceManager(void* manager) { Release(manager); }

bool OpenManagedService(void* manager, const char* name, void** service, std::uint32_t* error) {
  if (!UsableName(name)) return Fail(error, kInvalidServiceName);
  auto* opened = static_cast<Service*>(Allocate(sizeof(Service)));
  if (opened == nullptr) return Fail(error, ENOMEM);
  if (!ServicePaths(static_cast<Manager*>(manager), name, opened)) {
    Release(opened);
    return Fail(error, kInvalidServiceName);
  }
  if (!ReadSmallFile(opened->registration, opened->image, sizeof opened->image)) {
    const std::uint32_t cause = errno == ENOENT ? kServiceDoesNotExist : static_cast<std::uint32_t>(errno);
    Release(opened);
    return Fail(error, cause);
  }
  *service = opened;
  return true;
}

bool CreateManagedService(void* manager, const char* name, const char* image_path, void** service,
                          std::uint32_t* error) {
  Service paths{};
  if (!UsableName(name) || !ServicePaths(static_cast<Manager*>(manager), name, &paths)) {
    return Fail(error, kInvalidServiceName);
  }
  const int descriptor = open(paths.registration, O_WRONLY | O_CREAT | O_EXCL, 0600);
  if (descriptor < 0) return Fail(error, errno == EEXIST ? kServiceExists : static_cast<std::uint32_t>(errno));
  const std::size_t length = std::strlen(image_path);
  const bool written = write(descriptor, image_path, length) == static_cast<ssize_t>(length);
  close(descriptor);
  if (!written) {
    unlink(paths.registration);
    return Fail(error, EIO);
  }
  return OpenManagedService(manager, name, service, error);
}

bool StartManagedService(void* service, int argc, const char** argv, std::uint32_t* error) {
  auto* started = static_cast<Service*>(service);
  pid_t pid = 0;
  if (RunningPid(started->pid_file, &pid)) return Fail(error, kServiceAlreadyRunning);
  auto* arguments = static_cast<char**>(Allocate((static_cast<std::size_t>(argc) + 2) * sizeof(char*)));
  if (arguments == nullptr) return Fail(error, ENOMEM);
  arguments[0] = started->name;
  for (int i = 0; i < argc; ++i) arguments[i + 1] = const_cast<char*>(argv[i]);
  arguments[argc + 1] = nullptr;
  char executable[kPathCapacity];
  ExecutableOf(started->image, executable, sizeof executable);
  const int result = SpawnChild(executable, false, arguments, environ, true, &pid);
  Release(arguments);
  if (result != 0) return Fail(error, static_cast<std::uint32_t>(result));
  ReapInBackground(pid);
  std::FILE* file = std::fopen(started->pid_file, "w");
  const bool recorded = file != nullptr && std::fprintf(file, "%ld\n", static_cast<long>(pid)) > 0;
  if (file == nullptr || std::fclose(file) != 0 || !recorded) {
    // A service the manager cannot see would run on unnoticed: end it rather than lose it.
    const int cause = errno;
    kill(pid, SIGTERM);
    return Fail(error, static_cast<std::uint32_t>(cause != 0 ? cause : EIO));
  }
  return true;
}

// A started service counts as running as long as its process lives: it needs no start-up steps
// of the manager's own.
bool QueryManagedService(void* service, ServiceStatus* status, std::uint32_t*) {
  pid_t pid = 0;
  const bool running = RunningPid(static_cast<Service*>(service)->pid_file, &pid);
  *status = ServiceStatus{running ? kServiceStateRunning : kServiceStateStopped, 0, 0};
  return true;
}

void CloseManagedService(void* service) { Release(service); }

bool CreateServiceReport(const char* block_name, const char* event_name, ServiceReport* report,
                         std::uint32_t* error) {
  *report = ServiceReport{};
  report->event = SEM_FAILED;
  std::snprintf(report->block_name, sizeof report->block_name, "/%s", block_name);
  std::snprintf(report->event_name, sizeof report->event_name, "/%s", event_name);
  // Left-overs of a caller that died before cleaning up would report stale ids: start afresh.
  shm_unlink(report->block_name);
  sem_unlink(report->event_name);
  const int descriptor = shm_open(report->block_name, O_RDWR | O_CREAT | O_EXCL, 0600);
  if (descriptor < 0) return Fail(error, static_cast<std::uint32_t>(errno));
  void* mapped = MAP_FAILED;
  if (ftruncate(descriptor, kReportBytes) == 0) {
    mapped = mmap(nullptr, kReportBytes, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
  }
  const int cause = errno;
  close(descriptor);
  if (mapped == MAP_FAILED) {
    shm_unlink(report->block_name);
    return Fail(error, static_cast<std::uint32_t>(cause));
  }
  report->mapping = mapped;
  report->words = static_cast<volatile std::uint32_t*>(mapped);
  sem_t* event = sem_open(report->event_name, O_CREAT | O_EXCL, 0600, 0);
  if (event == SEM_FAILED) {
    const int sem_cause = errno;
    CloseServiceReport(report);
    return Fail(error, static_cast<std::uint32_t>(sem_cause));
  }
  report->event = event;
  return true;
}

bool WaitForServiceReport(ServiceReport* report, void* manager, const char* service_name) {
  Service paths{};
  if (!ServicePaths(static_cast<Manager*>(manager), service_name, &paths)) return false;
  auto* event = static_cast<sem_t*>(report->event);
  for (;;) {
    const SliceWait wait = WaitOneSlice(event);
    if (wait != SliceWait::kTimedOut) return wait == SliceWait::kPosted;
    pid_t pid = 0;
    // The service may have set the event just before it ended.
    if (!RunningPid(paths.pid_file, &pid)) return sem_trywait(event) == 0;
  }
}

void CloseServiceReport(ServiceReport* report) {
  if (report->mapping != nullptr) {
    munmap(report->mapping, kReportBytes);
    shm_unlink(report->block_name);
  }
  if (report->event != nullptr && report->event != SEM_FAILED) {
    sem_close(static_cast<sem_t*>(report->event));
    sem_unlink(report->event_name);
  }
  report->mapping = nullptr;
  report->words = nullptr;
  report->event = nullptr;
}

}  // namespace kelnl::os
