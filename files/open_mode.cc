#include "files/open_mode.h"

#include <cstring>

#include "kelnl/snlf.h"

namespace kelnl::files {
namespace {

// Append wins over create: a caller that asks to append expects the existing contents kept, and
// truncating them would lose data that cannot be recovered.
const char* BaseMode(bool read, bool write, bool append, bool create) {
  if (read && write) return append ? "a+" : (create ? "w+" : "r+");
  if (write) return append ? "a" : "w";
  return "r";
}

}  // namespace

bool BuildOpenMode(std::uint32_t bits, char (&mode)[kOpenModeCapacity]) {
  const bool read = (bits & SNLF_MODE_READ) != 0;
  const bool write = (bits & SNLF_MODE_WRITE) != 0;
  if (!read && !write) return false;
  const char* base = BaseMode(read, write, (bits & SNLF_MODE_APPEND) != 0, (bits & SNLF_MODE_CREATE) != 0);
  const std::size_t length = std::strlen(base);
  std::memcpy(mode, base, length);
  mode[length] = (bits & SNLF_MODE_BINARY) != 0 ? 'b' : 't';
  mode[length + 1] = '\0';
  return true;
}

}  // namespace kelnl::files
