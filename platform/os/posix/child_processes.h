// Children of the POSIX backend: started with posix_spawn and reaped in the background, so that
// a detached program leaves no zombie behind however long the caller runs.
#ifndef KELNL_PLATFORM_OS_POSIX_CHILD_PROCESSES_H
#define KELNL_PLATFORM_OS_POSIX_CHILD_PROCESSES_H

#include <sys/types.h>

namespace kelnl::os {

// Starts path (searched on PATH when search is set) with argv and envp; own_session puts it in a
// session of its own, away from the caller's terminal and its signals. 0 or the errno value.
int SpawnChild(const char* path, bool search, char* const* argv, char* const* envp, bool own_session,
               pid_t* pid);
// Waits for the child in a detached thread of its own. A reaper per child rather than a shared
// SIGCHLD handler: the library must not take over the caller's signal disposition, and a
// double fork would hide the pid the caller asks for.
void ReapInBackground(pid_t pid);
// Waits until the child has ended.
void WaitForChild(pid_t pid);
// True while the process exists (a zombie not yet reaped counts).
bool ProcessExists(pid_t pid);

}  // namespace kelnl::os

#endif
