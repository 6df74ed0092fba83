// The operating-system layer for starting programs and services: processes, shared libraries,
// remote threads and the service manager. Kept beside os.h so that the launcher's interface
// reads as one piece. Backends: posix/ and win32/ process_launch.cc, libraries.cc, services.cc.
#ifndef KELNL_PLATFORM_OS_PROCESSES_H
#define KELNL_PLATFORM_OS_PROCESSES_H

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelnl::os {

// ---- The platform -------------------------------------------------------------------------
// True on the NT family of Windows (GetVersionExA platform 2). POSIX answers true: the servers
// run under our own service manager there, as they run as services on NT.
bool IsNtFamily();
// ".exe" on Windows, "" on POSIX.
const char* ExecutableSuffix();
// Whether a program name already says where the program lives. Windows: it contains ':' or
// begins with '\'. POSIX: it contains '/'.
bool NamesProgramLocation(std::string_view program);
// The debugger that DEBUG_SPAWNING runs a program under, with the command line after a blank.
const char* DebuggerCommand();
// The file name of one of the product's run-time libraries from its Windows base name:
// "KELSPAWN" gives "KELSPAWN.DLL" on Windows and "libkelspawn.so" on POSIX.
bool ProductLibraryFileName(const char* base_name, char* buffer, std::size_t size);

// Whether an address's ENVS list reaches the programs spawned. Windows drops it: a spawned
// program's environment is built from the caller's alone there. POSIX puts it in front.
bool SpawnTakesAddressEnvironment();
// The calling process's environment list on POSIX (not a copy); null on Windows.
char** EnvironmentList();

// ---- Processes ------------------------------------------------------------------------------
// The Windows PROCESS_INFORMATION layout, which the spawning library's entry also fills. POSIX
// keeps the process id in process (no thread handle); a new process's first thread has the
// process's id there.
struct ProcessInformation {
  void* process;
  void* thread;
  std::uint32_t process_id;
  std::uint32_t thread_id;
};

enum ProcessFlags : unsigned {
  kDetached = 0x1,       // no console (Windows), a session of its own (POSIX)
  kNewConsole = 0x2,     // a console of its own (Windows); stays in the caller's session (POSIX)
  kInheritHandles = 0x4,
  kWaitForEnd = 0x8,     // returns only after the program has ended
};

// The longest command line the platform passes on (CreateProcessA's limit, kept on POSIX too).
inline constexpr std::size_t kMaximumCommandLine = 32767;

// The calling process's environment as one block of NUL-terminated NAME=value texts ending with
// an empty text, allocated with kelnl::Allocate; null when memory runs out.
char* CopyEnvironmentBlock();

// Starts executable with command_line (POSIX splits it at blanks into the arguments, as a
// Windows program's runtime would). environment_block: a block as above, or null to inherit.
// Without kWaitForEnd, POSIX reaps the child in the background so that no zombie is left.
// false with *error the system error when the program cannot be started.
bool StartProcess(const char* executable, const char* command_line, const char* environment_block,
                  unsigned flags, ProcessInformation* info, std::uint32_t* error);
// True when the process has ended (a wait of zero that does not time out).
bool ProcessHasEnded(void* process);
// Closes a process or thread handle; null is nothing to do.
void CloseProcessHandle(void* handle);

// ---- Shared libraries -------------------------------------------------------------------------
void* LoadLibraryFile(const char* name);
void* LibrarySymbol(void* library, const char* name);
void UnloadLibrary(void* library);

// Starts a thread inside another process at start_address with the given stack size; the
// thread's handle is closed again. false with *error on failure. POSIX asks the server process
// through its request block "/qlbx_<pid>.kel" and the semaphores "/qlbx_<pid>_request.kel" and
// "/qlbx_<pid>_reply.kel", which the server makes once it is ready: the block's first word (64
// bits) is the start address, the server writes the new thread's id into the second (32 bits)
// and then posts the reply.
bool StartRemoteThread(ProcessInformation* server, std::uintptr_t start_address, std::size_t stack_size,
                       std::uint32_t* thread_id, std::uint32_t* error);

// ---- Services -----------------------------------------------------------------------------------
// Windows system errors the service start tells apart.
inline constexpr std::uint32_t kServiceAlreadyRunning = 1056;
inline constexpr std::uint32_t kServiceDoesNotExist = 1060;
inline constexpr std::uint32_t kServiceExists = 1073;
inline constexpr std::uint32_t kServiceStateRunning = 4;

struct ServiceStatus {
  std::uint32_t state;        // kServiceStateRunning, or another service state
  std::uint32_t check_point;  // grows while a starting service makes progress
  std::uint32_t wait_hint;    // milliseconds to wait before asking again
};

// POSIX stands in for the service control manager with a small manager of ours: a service is a
// registration file "/tmp/kelnl-services-<uid>/<name>" holding its image path, and a running
// instance is the process recorded in "<name>.pid" beside it. Starting runs the image detached
// with the service name as argv[0] and the start arguments after it, as a service's main
// function receives them. Failures give false with *error: the Windows values callers tell apart
// (kServiceDoesNotExist, kServiceAlreadyRunning, kServiceExists), otherwise the system's error.
bool OpenServiceManager(void** manager, std::uint32_t* error);
void CloseServiceManager(void* manager);
bool OpenManagedService(void* manager, const char* name, void** service, std::uint32_t* error);
bool CreateManagedService(void* manager, const char* name, const char* image_path, void** service,
                   std::uint32_t* error);
bool StartManagedService(void* service, int argc, const char** argv, std::uint32_t* error);
bool QueryManagedService(void* service, ServiceStatus* status, std::uint32_t* error);
void CloseManagedService(void* service);

// The block of three 32-bit words (the second the service's process id, the third its thread
// id) and the manual-reset event a service sets once the block holds its ids. block_name and
// event_name are the kernel object names ("status_x.kel"); POSIX puts a '/' in front for its
// shared memory and named semaphore and removes both again when the report is closed.
struct ServiceReport {
  void* event;
  void* mapping;
  volatile std::uint32_t* words;
  char block_name[300];
  char event_name[300];
};
bool CreateServiceReport(const char* block_name, const char* event_name, ServiceReport* report,
                         std::uint32_t* error);
// Waits for the service's event. Windows waits without a time-out. POSIX also gives up (false)
// when the service's process ended without setting it, which the manager can see there.
bool WaitForServiceReport(ServiceReport* report, void* manager, const char* service_name);
void CloseServiceReport(ServiceReport* report);

}  // namespace kelnl::os

#endif
