#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/core/allocator.h"
#include "platform/os/os.h"
#include "platform/os/posix/child_processes.h"
#include "platform/os/processes.h"

extern char** environ;

namespace kelnl::os {
namespace {

void* Reap(void* argument) {
  const auto pid = static_cast<pid_t>(reinterpret_cast<std::intptr_t>(argument));
  WaitForChild(pid);
  return nullptr;
}

// The arguments a Windows program's runtime would make of the command line: the words between
// blanks. argv and its texts share one block.
char** SplitCommandLine(const char* command_line) {
  const std::size_t length = std::strlen(command_line);
  const std::size_t pointers = length / 2 + 2;
  auto* argv = static_cast<char**>(Allocate(pointers * sizeof(char*) + length + 1));
  if (argv == nullptr) return nullptr;
  char* text = reinterpret_cast<char*>(argv + pointers);
  std::memcpy(text, command_line, length + 1);
  std::size_t count = 0;
  char* saved = nullptr;
  for (char* word = strtok_r(text, " \t", &saved); word != nullptr; word = strtok_r(nullptr, " \t", &saved)) {
    argv[count++] = word;
  }
  argv[count] = nullptr;
  return argv;
}

// Pointers to the entries of an environment block, in one block of their own.
char** EnvironmentPointers(const char* block) {
  std::size_t count = 0;
  for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) ++count;
  auto* envp = static_cast<char**>(Allocate((count + 1) * sizeof(char*)));
  if (envp == nullptr) return nullptr;
  std::size_t index = 0;
  for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
    envp[index++] = const_cast<char*>(entry);
  }
  envp[index] = nullptr;
  return envp;
}

}  // namespace

bool IsNtFamily() { return true; }
const char* ExecutableSuffix() { return ""; }
bool NamesProgramLocation(std::string_view program) { return program.find('/') != std::string_view::npos; }
const char* DebuggerCommand() { return "gdb --args"; }

bool ProductLibraryFileName(const char* base_name, char* buffer, std::size_t size) {
  const int written = std::snprintf(buffer, size, "lib%s.so", base_name);
  if (written < 0 || static_cast<std::size_t>(written) >= size) return false;
  for (char* c = buffer; *c != '\0'; ++c) *c = static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
  return true;
}

bool SpawnTakesAddressEnvironment() { return true; }
char** EnvironmentList() { return environ; }

char* CopyEnvironmentBlock() {
  std::size_t size = 1;
  for (char** entry = environ; *entry != nullptr; ++entry) size += std::strlen(*entry) + 1;
  auto* block = static_cast<char*>(Allocate(size));
  if (block == nullptr) return nullptr;
  char* out = block;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::size_t length = std::strlen(*entry) + 1;
    std::memcpy(out, *entry, length);
    out += length;
  }
  *out = '\0';
  return block;
}

int SpawnChild(const char* path, bool search, char* const* argv, char* const* envp, bool own_session, pid_t* pid) {
  posix_spawnattr_t attributes;
  int result = posix_spawnattr_init(&attributes);
  if (result != 0) return result;
  // The child starts with no signal blocked, whatever the calling thread had blocked.
  sigset_t empty;
  sigemptyset(&empty);
  posix_spawnattr_setsigmask(&attributes, &empty);
  short flags = POSIX_SPAWN_SETSIGMASK;
  if (own_session) flags |= POSIX_SPAWN_SETSID;
  posix_spawnattr_setflags(&attributes, flags);
  result = search ? posix_spawnp(pid, path, nullptr, &attributes, argv, envp)
                  : posix_spawn(pid, path, nullptr, &attributes, argv, envp);
  posix_spawnattr_destroy(&attributes);
  return result;
}

void ReapInBackground(pid_t pid) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_attr_setstacksize(&attributes, 64 * 1024);
  pthread_t thread;
  const bool started =
      pthread_create(&thread, &attributes, Reap, reinterpret_cast<void*>(static_cast<std::intptr_t>(pid))) == 0;
  pthread_attr_destroy(&attributes);
  // Without a thread the caller waits here instead: a blocked spawn beats a zombie.
  if (!started) WaitForChild(pid);
}

void WaitForChild(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

bool ProcessExists(pid_t pid) { return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM); }

// Handles on inheritance: POSIX children inherit every descriptor not marked close-on-exec, so
// kInheritHandles changes nothing here.
bool StartProcess(const char* executable, const char* command_line, const char* environment_block, unsigned flags,
                  ProcessInformation* info, std::uint32_t* error) {
  *info = ProcessInformation{};
  UniqueBlock<char*> argv(SplitCommandLine(command_line != nullptr ? command_line : ""));
  UniqueBlock<char*> envp(environment_block != nullptr ? EnvironmentPointers(environment_block) : nullptr);
  if (argv == nullptr || (environment_block != nullptr && envp == nullptr)) {
    *error = ENOMEM;
    return false;
  }
  char* bare[] = {const_cast<char*>(executable), nullptr};
  char* const* arguments = argv.get()[0] != nullptr ? argv.get() : bare;
  const char* path = executable != nullptr ? executable : arguments[0];
  if (path == nullptr) {
    *error = EINVAL;
    return false;
  }
  pid_t pid = 0;
  const int result = SpawnChild(path, executable == nullptr, arguments, envp != nullptr ? envp.get() : environ,
                                (flags & kDetached) != 0, &pid);
  if (result != 0) {
    *error = static_cast<std::uint32_t>(result);
    return false;
  }
  if ((flags & kWaitForEnd) != 0) {
    WaitForChild(pid);
  } else {
    ReapInBackground(pid);
  }
  // A new process's first thread carries the process's id.
  *info = ProcessInformation{reinterpret_cast<void*>(static_cast<std::intptr_t>(pid)), nullptr,
                             static_cast<std::uint32_t>(pid), static_cast<std::uint32_t>(pid)};
  return true;
}

bool ProcessHasEnded(void* process) {
  return !ProcessExists(static_cast<pid_t>(reinterpret_cast<std::intptr_t>(process)));
}

void CloseProcessHandle(void*) {}

}  // namespace kelnl::os
