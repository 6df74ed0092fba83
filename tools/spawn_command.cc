// kelnl spawn ADDRESS: starts the program of a process address as the network components do and
// prints its process id, and for a server started as a service or as a server thread, the id of
// the thread that serves.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "kelnl/nlnv.h"
#include "kelnl/nlpc.h"
#include "tools/commands.h"

namespace kelnl::tool {
namespace {

// Programs whose start reports a thread of their own rather than a new process's first thread.
bool ReportsServingThread(std::string_view program) {
  static constexpr const char* kServers[] = {"VQTLSNR", "NAMES.EXE", "KCACHD.EXE", "PVGW", "PVADMIN", "qlbxsrv"};
  for (std::string_view server : kServers) {
    if (std::equal(program.begin(), program.end(), server.begin(), server.end(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        })) {
      return true;
    }
  }
  return false;
}

int Spawn(NlnvBinding* address) {
  NlSpawnRecord record;
  const int32_t status = nlpcaini(nullptr, address, &record);
  if (status != 0) {
    std::fprintf(stderr, "kelnl spawn: the address cannot be read (%d)\n", static_cast<int>(status));
    return 1;
  }
  int exit_status = 1;
  if (record.program == nullptr) {
    std::fprintf(stderr, "kelnl spawn: the address names no PROGRAM\n");
  } else if (snlpcsp(nullptr, &record) != 0) {
    std::fprintf(stderr, "kelnl spawn: %s could not be started\n", record.program);
  } else {
    std::printf("process %u\n", static_cast<unsigned>(record.process_id));
    if (ReportsServingThread(record.program)) std::printf("thread %u\n", static_cast<unsigned>(record.thread_id));
    exit_status = std::fflush(stdout) == 0 ? 0 : 1;
  }
  nlpcatrm(nullptr, &record);
  return exit_status;
}

}  // namespace

int RunSpawn(int argc, char** argv) {
  if (argc != 1) {
    std::fprintf(stderr, "usage: kelnl spawn ADDRESS\n");
    return 2;
  }
  NlnvBinding* address = nullptr;
  NlnvError error{};
  if (nlnvcrb(argv[0], std::strlen(argv[0]), &address, &error) != 0) {
    std::fprintf(stderr, "kelnl spawn: %s at offset %zu\n", error.message, error.offset);
    return 1;
  }
  int exit_status = 1;
  if (nlnvcbp(nlpcptab, "ADDRESS", 7, &address) != 0) {
    std::fprintf(stderr,
                 "kelnl spawn: not a process address: (ADDRESS=...), (PROGRAM=...) or (DESCRIPTION=(ADDRESS=...))\n");
  } else {
    exit_status = Spawn(address);
  }
  nlnvdeb(address);
  return exit_status;
}

}  // namespace kelnl::tool
