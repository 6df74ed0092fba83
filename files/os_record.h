// Reporting into a caller's NlOsErrorRecord. Every helper accepts a null record, so that an
// operation called without one still returns its code instead of crashing.
#ifndef KELNL_FILES_OS_RECORD_H
#define KELNL_FILES_OS_RECORD_H

#include <cerrno>
#include <cstdint>

#include "kelnl/nlep.h"

namespace kelnl::files {

inline void ClearRecord(NlOsErrorRecord* record) {
  if (record != nullptr) *record = NlOsErrorRecord{0, 0, 0};
}

// Stores a failure and returns its code, so that an operation can report and return in one step.
inline std::int32_t Fail(NlOsErrorRecord* record, std::int32_t code, std::uint32_t system_error = 0,
                         std::uint32_t extra = 0) {
  if (record != nullptr) {
    *record = NlOsErrorRecord{static_cast<std::uint32_t>(code), system_error, extra};
  }
  return code;
}

// The errno value a failed C runtime call left behind.
inline std::uint32_t CurrentErrno() { return static_cast<std::uint32_t>(errno); }

}  // namespace kelnl::files

#endif
