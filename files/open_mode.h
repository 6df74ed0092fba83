// The C runtime open mode for a set of the file layer's mode bits.
#ifndef KELNL_FILES_OPEN_MODE_H
#define KELNL_FILES_OPEN_MODE_H

#include <cstddef>
#include <cstdint>

namespace kelnl::files {

inline constexpr std::size_t kOpenModeCapacity = 4;  // "a+t" and its terminator

// Writes the mode ("r", "r+", "w+", "a+", "w" or "a", then 'b' or 't') into mode and returns
// true; false when the bits ask for neither reading nor writing.
bool BuildOpenMode(std::uint32_t bits, char (&mode)[kOpenModeCapacity]);

}  // namespace kelnl::files

#endif
