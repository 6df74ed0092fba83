// How stream operations report: every failure is pushed onto the caller's primary record, and a
// failure of the file layer also marks the record's os_error as an operating-system detail so
// that the error printer shows it with the stream's code.
#ifndef KELNL_DIAGNOSTICS_STREAM_REPORT_H
#define KELNL_DIAGNOSTICS_STREAM_REPORT_H

#include <cstdint>

#include "kelnl/nlep.h"
#include "kelnl/nlerrors.h"

namespace kelnl::diagnostics {

inline constexpr std::int32_t kLibraryFacility = 1;
inline constexpr std::int32_t kOperatingSystemFacility = 3;
inline constexpr std::int32_t kRecordedKind = 2;

inline std::int32_t Fail(NlPrimaryErrorRecord* errors, std::int32_t code) {
  return nlepepe(errors, kLibraryFacility, code, kRecordedKind);
}

inline std::int32_t FailFromFileLayer(NlPrimaryErrorRecord* errors, std::int32_t code) {
  if (errors != nullptr) errors->os_facility = static_cast<std::uint8_t>(kOperatingSystemFacility);
  return Fail(errors, code);
}

// The file layer accepts a null record, so a caller without one still gets a result.
inline NlOsErrorRecord* OsRecord(NlPrimaryErrorRecord* errors) {
  return errors != nullptr ? &errors->os_error : nullptr;
}

}  // namespace kelnl::diagnostics

#endif
