// The core-services library: memory, thread locks, case-insensitive strings, environment and
// clock. It lives inside kelnl and stays hidden; only sscoreserverflag is exported.
#ifndef KELNL_PLATFORM_CORE_CORE_H
#define KELNL_PLATFORM_CORE_CORE_H

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "kelnl/sscore.h"

// Error record of the core services: a code of ours (0 = none) and the OS error behind it.
struct SlCoreError {
  std::int32_t code;
  std::int32_t system_error;
};

// The process-wide initialisation lock: a spin lock in the caller's static data, so it needs no
// construction before the first startup and no OS object.
struct SltsInitLock {
  std::atomic_flag held = ATOMIC_FLAG_INIT;
};

extern "C" {

// Memory, like the C heap functions; ss_mem_cal zeroes. The family keeps its own accounting.
void* ss_mem_alc(std::size_t size);
void* ss_mem_cal(std::size_t count, std::size_t size);
void* ss_mem_ral(void* block, std::size_t size);
void ss_mem_fre(void* block);

// Thread services. The handle names the process's thread services; it stays valid until
// sltster. Mutexes live in caller storage (NlMutex) and are not recursive.
void* sltsini();
void sltster(void* handle);
std::int32_t sltsmxi(void* handle, void* mutex);
std::int32_t sltsmxd(void* handle, void* mutex);
std::int32_t sltsmna(void* handle, void* mutex);
std::int32_t sltsmnr(void* handle, void* mutex);
void sltsima(SltsInitLock* lock);
void sltsimr(SltsInitLock* lock);
void sltspin();

// Strings: 0 when equal ignoring case (whole strings, or the first n characters).
int lstclo(const char* a, const char* b);
int lstmclo(const char* a, const char* b, std::size_t n);
// Copy in lower case, terminated (lstmlo copies n characters and terminates after them).
char* lstlo(char* destination, const char* source);
char* lstmlo(char* destination, const char* source, std::size_t n);

// Copies an environment variable's value (not terminated) into buffer, at most size bytes, and
// returns its length, or a negative number when it is not set or the call fails.
std::int32_t slzgetevar(SlCoreError* error, const char* name, std::size_t name_length, char* buffer,
                        std::size_t size, std::int32_t reserved);

// The clock: centiseconds since 1970-01-01 UTC, modulo 2^32.
std::uint32_t sltmgcs(SlCoreError* error);

// The core services' timer: a stopwatch that a component keeps in a context's `timer` word.
// ltmini starts one (null when memory runs out; the block is the library allocator's and its
// holder releases it after ltmdei); ltmela gives the centiseconds since the start, up to the stop
// once stopped; ltmdei stops it (1 for a null timer, else 0; stopping twice keeps the first stop).
void* ltmini(SlCoreError* error);
std::uint32_t ltmela(SlCoreError* error, const void* timer);
std::int32_t ltmdei(SlCoreError* error, void* timer);

// Password encoding (method 3 with block_size-byte blocks; flags 0): writes the encoded
// password into out as upper-case hexadecimal, terminated. *out_length is the size of out on
// entry and the text's length on return. Returns that length, or 0 when the arguments are
// refused or out is too small. Obfuscation with a fixed key, not security.
std::int32_t lncupwe(std::uint32_t* out_length, std::int32_t block_size, const char* password, char* out,
                     const char* key, std::int32_t method, std::int32_t flags);

// The common library's user name: the login name of the process owner into buffer (size
// bytes, not terminated). Returns the name's length, or a negative number on failure.
std::int32_t sigunmu(SlCoreError* error, char* buffer, std::int32_t size);

}  // extern "C"

namespace kelnl::thread_services_probe {

// Lets a test watch every mutex operation: 'i' init, 'd' destroy, 'a' acquire, 'r' release, with
// the mutex storage. Null stops watching. The observer may be called from any thread.
using Observer = void (*)(char operation, const void* mutex);
void SetObserver(Observer observer);

}  // namespace kelnl::thread_services_probe

#endif
