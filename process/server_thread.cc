// qlbxsrv runs as threads of one long-lived server process per calling process: the server is
// started once (again after it has ended), and each spawn adds a thread to it that starts at the
// address the data library publishes in its variable "StartAddr".
#include <cstdio>

#include "platform/os/os.h"
#include "process/spawn_internal.h"

namespace kelnl::process {
namespace {

constexpr int kStartAddressTries = 300;
constexpr std::uint32_t kStartAddressPauseMilliseconds = 100;
constexpr std::size_t kRemoteThreadStack = 4096;

// Process-wide and not locked, like the rest of the spawn: callers serialise their spawns.
os::ProcessInformation server{};

bool EnsureServer(const char* program) {
  if (server.process != nullptr && os::ProcessHasEnded(server.process)) {
    os::CloseProcessHandle(server.process);
    server = os::ProcessInformation{};
  }
  if (server.process != nullptr) return true;
  char home[kHomeCapacity + 1];
  if (!ReadEnvironment("TARVO_HOME", home, sizeof home)) return false;
  char executable[kHomeCapacity + 600];
  const char separator = os::PathSeparator();
  std::snprintf(executable, sizeof executable, "%s%cbin%c%s%s", home, separator, separator, program,
                os::ExecutableSuffix());
  os::ProcessInformation started{};
  std::uint32_t error = 0;
  if (!os::StartProcess(executable, nullptr, nullptr, os::kDetached, &started, &error)) return false;
  os::CloseProcessHandle(started.thread);
  started.thread = nullptr;
  server = started;
  return true;
}

void* LoadDataLibrary() {
  char file_name[64];
  if (!os::ProductLibraryFileName("QLBXDATA", file_name, sizeof file_name)) return nullptr;
  char home[kHomeCapacity + 1];
  if (!ReadEnvironment("TARVO_HOME", home, sizeof home)) return os::LoadLibraryFile(file_name);
  char path[kHomeCapacity + 80];
  const char separator = os::PathSeparator();
  std::snprintf(path, sizeof path, "%s%cbin%c%s", home, separator, separator, file_name);
  return os::LoadLibraryFile(path);
}

// The server publishes its start address once it is ready; the library sees it in its variable.
std::uintptr_t WaitForStartAddress(void* library) {
  auto* variable = static_cast<volatile std::uintptr_t*>(os::LibrarySymbol(library, "StartAddr"));
  if (variable == nullptr) return 0;
  for (int attempt = 0; attempt < kStartAddressTries; ++attempt) {
    if (*variable != 0) return *variable;
    os::SleepMilliseconds(kStartAddressPauseMilliseconds);
  }
  return 0;
}

}  // namespace

std::int32_t StartServerThread(const char* program, os::ProcessInformation* info) {
  if (!EnsureServer(program)) return -1;
  void* library = LoadDataLibrary();
  if (library == nullptr) return -1;
  std::int32_t result = -1;
  const std::uintptr_t start_address = WaitForStartAddress(library);
  std::uint32_t thread_id = 0;
  std::uint32_t error = 0;
  if (start_address != 0 &&
      os::StartRemoteThread(&server, start_address, kRemoteThreadStack, &thread_id, &error)) {
    *info = os::ProcessInformation{nullptr, nullptr, server.process_id, thread_id};
    result = 0;
  }
  os::UnloadLibrary(library);
  return result;
}

}  // namespace kelnl::process
