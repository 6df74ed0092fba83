// The launcher of ordinary programs: a detached process with the caller's handles, or the same
// program under the debugger when DEBUG_SPAWNING asks for it.
#ifndef KELNL_PROCESS_SPAWN_LAUNCH_H
#define KELNL_PROCESS_SPAWN_LAUNCH_H

#include <cstdint>

#include "platform/os/processes.h"

namespace kelnl::process {

struct LaunchRequest {
  const char* program;       // the record's PROGRAM
  const char* command_line;  // the joined arguments
  const char* instance;      // the instance name, null when the first argument did not name one
  char** address_environment;  // the record's ENVS list (empty on Windows)
  std::int32_t address_environment_count;
  bool no_detach;            // DETACH said no
  bool wait_asked;           // OSDS/WAIT said 1
};

// 0 with info's ids set (its handles are closed), or -1.
std::int32_t LaunchProgram(const LaunchRequest& request, os::ProcessInformation* info);

// The environment block a program starts with when it gets TARVO_SID or an address's ENVS:
// "TARVO_SID=" and the instance name first, then the ENVS items, then the caller's entries
// except the last that mentions TARVO_SID (the new value replaces it). Allocated; null when
// memory runs out.
char* BuildEnvironmentBlock(const char* instance, char** address_environment, std::int32_t count);

}  // namespace kelnl::process

#endif
