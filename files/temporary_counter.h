// The process-wide counter that numbers temporary files.
#ifndef KELNL_FILES_TEMPORARY_COUNTER_H
#define KELNL_FILES_TEMPORARY_COUNTER_H

#include <cstdint>

namespace kelnl::files {

// Values run 0, 1, ..., 998 and then start again at 0.
inline constexpr std::uint32_t kTemporaryCounterLimit = 999;

// Returns the counter's value and advances it.
std::uint32_t TakeTemporaryNumber();

}  // namespace kelnl::files

#endif
