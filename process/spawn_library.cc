// The product's own programs (tarvo*, the threaded agent) start through the spawning library's
// entry "SpawnTarvo", which knows how each of them wants to run.
#include <cstdio>

#include "platform/os/os.h"
#include "process/spawn_internal.h"

namespace kelnl::process {
namespace {

// The entry fills the process information, as CreateProcess would, and returns 0 on success.
using SpawnEntry = int (*)(os::ProcessInformation* info, char* command_line, char* instance);

// From the product home's bin directory when there is one, else by the system's search.
void* LoadProductLibrary(const char* base_name) {
  char file_name[64];
  if (!os::ProductLibraryFileName(base_name, file_name, sizeof file_name)) return nullptr;
  char home[kHomeCapacity + 1];
  if (ReadEnvironment("TARVO_HOME", home, sizeof home)) {
    char path[kHomeCapacity + 80];
    const char separator = os::PathSeparator();
    std::snprintf(path, sizeof path, "%s%cbin%c%s", home, separator, separator, file_name);
    if (void* library = os::LoadLibraryFile(path)) return library;
  }
  return os::LoadLibraryFile(file_name);
}

}  // namespace

std::int32_t StartThroughSpawnLibrary(char* command_line, char* instance, os::ProcessInformation* info) {
  void* library = LoadProductLibrary("KELSPAWN");
  if (library == nullptr) return -1;
  std::int32_t result = -1;
  if (auto entry = reinterpret_cast<SpawnEntry>(os::LibrarySymbol(library, "SpawnTarvo"))) {
    char no_instance[] = "";
    if (entry(info, command_line, instance != nullptr ? instance : no_instance) == 0) {
      os::CloseProcessHandle(info->process);
      // Outside the NT family the caller keeps the thread handle in the record.
      if (os::IsNtFamily()) os::CloseProcessHandle(info->thread);
      result = 0;
    }
  }
  os::UnloadLibrary(library);
  return result;
}

}  // namespace kelnl::process
