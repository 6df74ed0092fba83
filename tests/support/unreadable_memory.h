// A page that cannot be read, for tests of operations that must refuse bad record pointers.
#ifndef KELNL_TESTS_SUPPORT_UNREADABLE_MEMORY_H
#define KELNL_TESTS_SUPPORT_UNREADABLE_MEMORY_H

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

#include <cstddef>

namespace kelnl::testing {

class UnreadableMemory {
 public:
  UnreadableMemory() {
#ifdef _WIN32
    address_ = VirtualAlloc(nullptr, kBytes, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
#else
    address_ = mmap(nullptr, kBytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
#endif
  }
  ~UnreadableMemory() {
#ifdef _WIN32
    VirtualFree(address_, 0, MEM_RELEASE);
#else
    munmap(address_, kBytes);
#endif
  }
  UnreadableMemory(const UnreadableMemory&) = delete;
  UnreadableMemory& operator=(const UnreadableMemory&) = delete;
  void* address() const { return address_; }

 private:
  static constexpr std::size_t kBytes = 65536;
  void* address_;
};

}  // namespace kelnl::testing

#endif
