#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/os/os.h"

namespace kelnl::os {
namespace {

// msync fails with ENOMEM on an unmapped page; used when process_vm_readv is not permitted.
bool PagesMapped(const void* address, std::size_t length) {
  const long page = sysconf(_SC_PAGESIZE);
  const auto start = reinterpret_cast<std::uintptr_t>(address) & ~static_cast<std::uintptr_t>(page - 1);
  const auto end = reinterpret_cast<std::uintptr_t>(address) + length;
  return msync(reinterpret_cast<void*>(start), end - start, MS_ASYNC) == 0;
}

}  // namespace

// The kernel copies from our own address space into a scratch buffer, so an unreadable address
// is reported as EFAULT instead of a fault, and no sanitizer inspects the probed range.
bool IsReadable(const void* address, std::size_t length) {
  if (address == nullptr) return false;
  if (length == 0) return true;
  unsigned char scratch[256];
  const auto* cursor = static_cast<const unsigned char*>(address);
  while (length > 0) {
    const std::size_t chunk = length < sizeof scratch ? length : sizeof scratch;
    iovec local{scratch, chunk};
    iovec remote{const_cast<unsigned char*>(cursor), chunk};
    const ssize_t copied = process_vm_readv(getpid(), &local, 1, &remote, 1, 0);
    if (copied < 0) {
      if (errno == EFAULT) return false;
      return PagesMapped(cursor, length);
    }
    if (static_cast<std::size_t>(copied) != chunk) return false;
    cursor += chunk;
    length -= chunk;
  }
  return true;
}

void AdviseLargePages(void* block, std::size_t length) {
#ifdef MADV_HUGEPAGE
  constexpr std::uintptr_t kLargePage = kLargePageBytes;
  const auto start = (reinterpret_cast<std::uintptr_t>(block) + kLargePage - 1) & ~(kLargePage - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(block) + length) & ~(kLargePage - 1);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
  (void)block;
  (void)length;
#endif
}

}  // namespace kelnl::os
