// Shared by both backends: the errno value a failed C runtime call leaves, never 0, so that a
// caller can always tell a failure from success by the value alone.
#ifndef KELNL_PLATFORM_OS_ERRNO_RESULT_H
#define KELNL_PLATFORM_OS_ERRNO_RESULT_H

#include <cerrno>

namespace kelnl::os {

inline int ErrnoOfFailure() { return errno != 0 ? errno : EIO; }

}  // namespace kelnl::os

#endif
