// Starting a server as a service: make sure the service exists, start it with the spawn's
// arguments, and wait until it reports its process and thread ids through its status block and
// event. The messages go to standard output, where the control programs show them.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kelnl/nltrmsg.h"
#include "platform/os/os.h"
#include "process/service_names.h"
#include "process/spawn_internal.h"
#include "process/spawn_trace.h"

namespace kelnl::process {
namespace {

constexpr std::size_t kHomePathCapacity = 256;

class ServiceManager {
 public:
  ~ServiceManager() {
    if (handle_ != nullptr) os::CloseServiceManager(handle_);
  }
  bool Open() {
    std::uint32_t error = 0;
    return os::OpenServiceManager(&handle_, &error);
  }
  void* handle() const { return handle_; }

 private:
  void* handle_ = nullptr;
};

// The executable path a new service is registered with: the home's BIN directory, the
// executable, a blank and the (empty) argument text.
void ImagePath(const char* executable, char* buffer, std::size_t size) {
  char home[kHomePathCapacity + 1];
  if (!ReadEnvironment("TARVO_HOME", home, sizeof home)) {
    std::snprintf(buffer, size, "%s %s", executable, "");
    return;
  }
  const std::size_t length = std::strlen(home);
  const char last = length > 0 ? home[length - 1] : '\0';
  const char separator = os::PathSeparator();
  const char added[2] = {last == '\\' || last == '/' || last == ':' ? '\0' : separator, '\0'};
  std::snprintf(buffer, size, "%s%s%s%c%s %s", home, added, "BIN", separator, executable, "");
}

bool RegisterService(void* manager, const char* executable, const char* name) {
  char image[kHomePathCapacity + 64];
  ImagePath(executable, image, sizeof image);
  void* service = nullptr;
  std::uint32_t error = 0;
  if (!os::CreateManagedService(manager, name, image, &service, &error)) {
    std::printf("Failed to create service, error %d.\n", static_cast<int>(error));
    return false;
  }
  os::CloseManagedService(service);
  return true;
}

// Polls while the starting service makes progress, as its check-point shows.
bool WaitUntilRunning(void* service, std::uint32_t* error) {
  os::ServiceStatus status{};
  if (!os::QueryManagedService(service, &status, error)) {
    std::printf("Failed to query service, error %d.\n", static_cast<int>(*error));
    return false;
  }
  while (status.state != os::kServiceStateRunning) {
    const std::uint32_t check_point = status.check_point;
    os::SleepMilliseconds(status.wait_hint);
    if (!os::QueryManagedService(service, &status, error)) break;
    if (status.check_point <= check_point) break;
  }
  if (status.state == os::kServiceStateRunning) return true;
  std::printf("Failed to start service, error %d.\n", static_cast<int>(*error));
  return false;
}

// false with *error the system error; a service that does not exist gives kServiceDoesNotExist.
bool StartAndWait(void* manager, const char* name, char** arguments, std::uint32_t* error) {
  void* service = nullptr;
  if (!os::OpenManagedService(manager, name, &service, error)) {
    std::printf("Failed to open service <%s>, error %d.\n", name, static_cast<int>(*error));
    return false;
  }
  int count = 0;
  while (arguments[count] != nullptr) ++count;
  bool started = os::StartManagedService(service, count, const_cast<const char**>(arguments), error);
  if (!started && *error == os::kServiceAlreadyRunning) {
    std::printf("Service %s already running.\n", name);
  } else if (!started) {
    std::printf("Failed to start service, error %d.\n", static_cast<int>(*error));
  }
  started = started && WaitUntilRunning(service, error);
  os::CloseManagedService(service);
  return started;
}

// A test hook: the general form pauses for the number of seconds in the variable's first four
// characters, read as a decimal number, so that a test sees the server before anything else runs.
void PauseForRegressionTests() {
  char value[5];
  if (!ReadEnvironment("KEL_REGTEST_NNO_WAITTIME", value, sizeof value)) return;
  const int seconds = std::atoi(value);
  if (seconds > 0) os::SleepMilliseconds(static_cast<std::uint32_t>(seconds) * 1000);
}

std::int32_t StartAsService(NlGlobalContext* context, char** argv, const char* executable, const char* base,
                            bool general_form, os::ProcessInformation* info) {
  SpawnTrace trace(context, NLTR_COMPONENT_SERVICE_START);
  trace.Entry(__LINE__);
  ServiceManager manager;
  if (!manager.Open()) {
    trace.Exit(__LINE__, -1);
    return -1;
  }
  char name[kServiceNameCapacity];
  InsertHomeName(base, name, sizeof name);
  trace.Text(__LINE__, NLTR_SERVICE_NAME, name);
  char block_name[kServiceNameCapacity + 16];
  char event_name[kServiceNameCapacity + 16];
  std::snprintf(block_name, sizeof block_name, "Status_%s%s.kel", name, "");
  std::snprintf(event_name, sizeof event_name, "Event_%s%s.kel", name, "");
  LowerInPlace(block_name);
  LowerInPlace(event_name);
  os::ServiceReport report{};
  std::uint32_t error = 0;
  if (!os::CreateServiceReport(block_name, event_name, &report, &error)) {
    trace.Exit(__LINE__, -1);
    return -1;
  }
  bool started = StartAndWait(manager.handle(), name, argv + 1, &error);
  if (!started && error == os::kServiceDoesNotExist && RegisterService(manager.handle(), executable, name)) {
    started = StartAndWait(manager.handle(), name, argv + 1, &error);
  }
  started = started && os::WaitForServiceReport(&report, manager.handle(), name);
  if (started) {
    *info = os::ProcessInformation{nullptr, nullptr, report.words[1], report.words[2]};
    if (general_form) PauseForRegressionTests();
  }
  os::CloseServiceReport(&report);
  trace.Exit(__LINE__, started ? 0 : -1);
  return started ? 0 : -1;
}

}  // namespace

std::int32_t StartListenerService(NlGlobalContext* context, char** argv, os::ProcessInformation* info) {
  char base[kServiceNameCapacity];
  ListenerServiceBaseName(argv, base, sizeof base);
  return StartAsService(context, argv, "VQTLSNR", base, false, info);
}

std::int32_t StartGeneralService(NlGlobalContext* context, char** argv, const char* executable,
                                 const char* base_service_name, os::ProcessInformation* info) {
  return StartAsService(context, argv, executable, base_service_name, true, info);
}

}  // namespace kelnl::process
