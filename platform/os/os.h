// The operating-system layer. Portable code reaches the OS only through these declarations;
// the build compiles exactly one backend (posix/ or win32/). Backends convert native errors into
// the results documented here at the call site.
#ifndef KELNL_PLATFORM_OS_OS_H
#define KELNL_PLATFORM_OS_OS_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace kelnl::os {

// ---- The platform -------------------------------------------------------------------------
// The platform's name as error texts and the banner print it ("32-bit Windows" for the product
// target).
const char* PlatformName();

// The local date and time, broken down; false when the platform cannot give it.
struct CalendarTime {
  int year;    // e.g. 2026
  int month;   // 1 to 12
  int day;     // 1 to 31
  int hour;    // 0 to 23
  int minute;  // 0 to 59
  int second;  // 0 to 59 (a leap second reads 59)
};
bool LocalCalendarTime(CalendarTime* time);

// ---- Thread-local slot for per-thread global contexts ------------------------------------
// One process-wide slot. On Windows it is the TLS slot the DLL entry point allocates, filled at
// thread attach and emptied at thread detach. POSIX has no thread attach: a thread's value is
// made at its first request and released by a thread-specific key's destructor at thread end.
void* GetThreadSlot();
// Returns false when the slot could not be created or set.
bool SetThreadSlot(void* value);
// True when the backend makes a thread's value at its first request (POSIX).
bool ThreadSlotFilledOnFirstUse();

// Implemented by the portable library, called by the backend: the value a new thread gets
// (null when it gets none) and the release of a thread's value when the thread ends.
void* CreateThreadValue();
void ReleaseThreadValue(void* value);

// ---- Mutexes --------------------------------------------------------------------------------
// Non-recursive mutexes in caller storage of at least kMutexStorageBytes, pointer-aligned.
inline constexpr std::size_t kMutexStorageBytes = 6 * sizeof(void*);
bool MutexInit(void* storage);
void MutexDestroy(void* storage);
void MutexLock(void* storage);
void MutexUnlock(void* storage);

void YieldThread();

// Recursive mutexes in caller storage of at least kRecursiveMutexStorageBytes, pointer-aligned:
// the holding thread may lock again and must unlock as often.
inline constexpr std::size_t kRecursiveMutexStorageBytes = 8 * sizeof(void*);
bool RecursiveMutexInit(void* storage);
void RecursiveMutexDestroy(void* storage);
void RecursiveMutexLock(void* storage);
void RecursiveMutexUnlock(void* storage);

// ---- Threads and events -------------------------------------------------------------------
// A thread runs entry(argument); its result is the thread's exit code.
using ThreadEntry = std::uint32_t (*)(void* argument);
// Starts a thread. On success *thread is its handle and *thread_id the id os::ThreadId() gives
// inside it; on failure false with *error the platform's error value.
bool StartThread(ThreadEntry entry, void* argument, void** thread, std::uint32_t* thread_id,
                 std::uint32_t* error);
// Ends a thread that was asked to stop and releases its handle; returns once it no longer runs.
// work_lock is the recursive mutex the thread holds while it works. POSIX cannot end a thread
// from outside: it waits for the thread to return, without taking work_lock, which the thread
// may still need on its way out. Windows gives the thread a while to end by itself, then ends
// it from outside, holding work_lock so that it is never cut off inside its work.
void EndThread(void* thread, void* work_lock);
// Names the calling thread for debuggers and process listings (at most 15 characters kept).
void NameCurrentThread(const char* name);

// Auto-reset events with a name, initially unsignalled. storage is caller memory of at least
// kEventStorageBytes, pointer-aligned, where a platform without named kernel events keeps the
// event (POSIX: a condition variable, named within the process); it must stay in place until
// the last handle is closed. Windows keeps the event in the kernel and ignores storage.
inline constexpr std::size_t kEventStorageBytes = 32 * sizeof(void*);
bool CreateNamedEvent(const char* name, void* storage, void** event, std::uint32_t* error);
// Another handle on an event created under name; false with *error when there is none.
bool OpenNamedEvent(const char* name, void** event, std::uint32_t* error);
bool SignalEvent(void* event);
// True when the event is or becomes signalled within timeout_milliseconds; it is reset then.
bool WaitForEvent(void* event, std::uint32_t timeout_milliseconds);
void CloseEvent(void* event);

// ---- Environment ----------------------------------------------------------------------------
// Copies the value of the environment variable (name of name_length bytes, not terminated) into
// buffer without a terminator. Returns the value's full length (which may exceed size, in which
// case only size bytes were copied), or -1 when the variable is not set.
long GetEnvironment(const char* name, std::size_t name_length, char* buffer, std::size_t size);

// ---- Clock, process and thread ------------------------------------------------------------------
// Wall-clock time in milliseconds since 1970-01-01 UTC.
std::int64_t WallClockMilliseconds();
// The C runtime's time of day (_ftime on Windows): seconds since 1970-01-01 UTC and the
// milliseconds within the second.
void TimeOfDay(std::int64_t* seconds, std::uint32_t* milliseconds);
std::uint32_t ProcessId();
std::uint32_t ThreadId();
// Milliseconds since the system started (GetTickCount on Windows), wrapping at 2^32.
std::uint32_t TickCount();

// ---- Memory -----------------------------------------------------------------------------------
// True when every byte of [address, address + length) can be read (the IsBadReadPtr test).
bool IsReadable(const void* address, std::size_t length);
// Asks that a large block be backed by large pages where the system offers them on request. A
// block that is filled all over at once (a doubled hash slot array, a big arena chunk) then costs
// a handful of page faults instead of one per 4 KiB. Only the whole large pages inside the block
// qualify. A hint only: nothing fails.
void AdviseLargePages(void* block, std::size_t length);
// Whether AdviseLargePages can do anything here: big blocks are worth aligning for it only then.
#ifdef __linux__
inline constexpr bool kLargePagesOnRequest = true;
#else
inline constexpr bool kLargePagesOnRequest = false;
#endif
inline constexpr std::size_t kLargePageBytes = std::size_t{2} << 20;
// The first large-page boundary at or after address.
inline std::uintptr_t LargePageBoundaryFrom(std::uintptr_t address) {
  return (address + kLargePageBytes - 1) & ~std::uintptr_t{kLargePageBytes - 1};
}

// ---- Unique identifiers ---------------------------------------------------------------------
// Outcome of the platform's identifier service, converted from its native error at the call site.
enum class GuidResult { kOk, kNoMemory, kInvalidArgument, kServiceFailure };
// Fills bytes with a new identifier from the platform's service: the first 32-bit field most
// significant byte first, the two 16-bit fields likewise, then the eight trailing bytes in order.
// Windows asks COM for a GUID (initialising COM on the calling thread for the call when it was
// not); POSIX takes a random identifier. Thread-safe.
GuidResult CreateGuid(std::uint8_t bytes[16]);

// ---- Sleeping -----------------------------------------------------------------------------------
// Sleeps at least the given milliseconds; 0 only gives the processor away.
void SleepMilliseconds(std::uint32_t milliseconds);

// ---- Host and service names ---------------------------------------------------------------------
// A view of the platform's host or service entry. Every pointer, native included, points into
// the calling thread's lookup storage and stays valid until the thread's next lookup.
struct HostEntry {
  char* name;
  char** aliases;
  int address_type;
  int address_length;
  char** addresses;
  void* native;
};
struct ServiceEntry {
  char* name;
  char** aliases;
  int port;  // network byte order
  char* protocol;
  void* native;
};
// Each returns false on failure; host lookups then set *error to the platform's lookup error.
bool LookupHostByName(const char* name, HostEntry* entry, int* error);
bool LookupHostByAddress(const void* address, int length, int type, HostEntry* entry, int* error);
bool LookupServiceByName(const char* service, const char* protocol, ServiceEntry* entry);
bool LookupServiceByPort(int port, const char* protocol, ServiceEntry* entry);
// The local host name, terminated; false when it does not fit or the platform fails.
bool LocalHostName(char* buffer, std::size_t size);

// ---- The user and the terminal --------------------------------------------------------------------
// The login name of the process owner, not terminated. Returns its length (at most size bytes
// copied; longer names fail), or -1.
long LoginName(char* buffer, std::size_t size);

bool StandardInputIsTerminal();
// Whether a C stream is connected to a terminal.
bool StreamIsTerminal(std::FILE* stream);
// Saved terminal settings while input is read without echo.
struct NoEchoState {
  alignas(8) unsigned char saved[256];
  bool changed;
};
// Switches a terminal on standard input to character-at-a-time input without echo; nothing for
// other input. EndNoEcho restores what BeginNoEcho changed.
void BeginNoEcho(NoEchoState* state);
void EndNoEcho(NoEchoState* state);
// The next character of standard input, read unbuffered; -1 at end of input or on error.
int ReadStandardInputChar();

// ---- File names -------------------------------------------------------------------------------
// The separator of built names: '\' on Windows, '/' on POSIX.
char PathSeparator();
// Windows: the second character is ':' (drive) or the name starts with '\' or ".\".
// POSIX: the name starts with '/' or "./".
bool IsAbsoluteName(std::string_view name);
// The file-name suffix of a shared library: ".dll" on Windows, ".so" on POSIX.
const char* SharedLibrarySuffix();

// ---- Files and directories ----------------------------------------------------------------------
// Names are NUL-terminated. Operations returning int give 0 on success and otherwise the C
// runtime's errno value (never 0).

// Opens a C runtime stream. mode is spelt as the Windows C runtime takes it: r, r+, w, w+, a or
// a+, optionally followed by b (binary) or t (text). Null on failure, with errno set. A directory
// is no stream on any platform (Windows refuses it; POSIX would read it as an empty file).
std::FILE* OpenStream(const char* name, const char* mode);
// True when the stream reads or writes a regular file, which has an end; false for devices,
// pipes and consoles, whose input may never end.
bool IsRegularFileStream(std::FILE* stream);
// Whether a stream opened in text mode turns each carriage return and line feed pair into a line
// feed itself (the Windows C runtime does; POSIX streams pass the bytes as they are).
#ifdef _WIN32
inline constexpr bool kTextStreamsJoinLineEnds = true;
#else
inline constexpr bool kTextStreamsJoinLineEnds = false;
#endif
int RemoveFile(const char* name);

// Renaming onto an existing name replaces that file. Windows cannot move onto an existing file,
// so its backend deletes the target first and moves again; the two steps fail separately.
struct RenameResult {
  bool target_delete_failed = false;
  std::uint32_t delete_error = 0;
  bool move_failed = false;
  std::uint32_t move_error = 0;  // errno, or the Windows error value
};
RenameResult RenameReplacing(const char* old_name, const char* new_name);

// The operating-system descriptor behind a C runtime stream; negative when it has none.
int StreamDescriptor(std::FILE* stream);
// Sets the size of the file open on the descriptor to length bytes: a longer file loses its end.
int ResizeFile(int descriptor, std::uint32_t length);

// mode as the C runtime's access test: 0 existence, 2 write, 4 read, 6 read and write.
int ProbeAccess(const char* name, int mode);
// Last modification time of the file in seconds since 1970-01-01 UTC.
int ModificationTime(const char* name, std::int64_t* seconds);

// The current directory, terminated; fails (ERANGE) when it does not fit in size bytes.
int CurrentDirectory(char* buffer, std::size_t size);
int ChangeDirectory(const char* name);
int MakeDirectory(const char* name);

}  // namespace kelnl::os

#endif
