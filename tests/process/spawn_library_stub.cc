// A spawning library for the tests: its entry writes the command line and instance name it was
// given into the file named by KELNL_SPAWN_LIBRARY_REPORT and reports made-up ids, or fails
// when the command line holds "fail".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#define KELNL_STUB_EXPORT extern "C" __declspec(dllexport)
#else
#define KELNL_STUB_EXPORT extern "C" __attribute__((visibility("default")))
#endif

struct ProcessInformation {
  void* process;
  void* thread;
  std::uint32_t process_id;
  std::uint32_t thread_id;
};

KELNL_STUB_EXPORT int SpawnTarvo(ProcessInformation* info, char* command_line, char* instance) {
  if (std::strstr(command_line, "fail") != nullptr) return 1;
  const char* report = std::getenv("KELNL_SPAWN_LIBRARY_REPORT");
  if (report != nullptr) {
    if (std::FILE* file = std::fopen(report, "w")) {
      std::fprintf(file, "[%s] [%s]", command_line, instance);
      std::fclose(file);
    }
  }
  *info = ProcessInformation{nullptr, nullptr, 4242, 4343};
  return 0;
}
