// Formatted output. The format comes from the caller, as for the C runtime's printf family.
#include <cstdarg>
#include <cstdio>

#include "files/os_record.h"
#include "kelnl/snlf.h"

using kelnl::files::ClearRecord;
using kelnl::files::CurrentErrno;
using kelnl::files::Fail;

namespace {

uint32_t ErrnoOrIo() { return CurrentErrno() != 0 ? CurrentErrno() : EIO; }

// Formats onto the stream and, when asked, flushes it; returns 0 or the errno of the failure.
// A missing format is refused rather than handed to the C runtime, which would crash on it.
uint32_t Print(FILE* stream, bool flush, const char* format, va_list arguments) {
  if (format == nullptr) return EINVAL;
  errno = 0;
  if (std::vfprintf(stream, format, arguments) < 0) return ErrnoOrIo();
  if (flush && std::fflush(stream) != 0) return ErrnoOrIo();
  return 0;
}

int32_t Report(NlOsErrorRecord* record, int32_t failure_code, uint32_t error) {
  return error == 0 ? 0 : Fail(record, failure_code, error);
}

}  // namespace

extern "C" int32_t snlfprh(NlOsErrorRecord* record, FILE* handle, const char* format, ...) {
  ClearRecord(record);
  if (handle == nullptr) return Fail(record, SNLF_PRINT_NULL_HANDLE);
  va_list arguments;
  va_start(arguments, format);
  const uint32_t error = Print(handle, false, format, arguments);
  va_end(arguments);
  return Report(record, SNLF_PRINT_FAILED, error);
}

extern "C" int32_t snlfvfp(NlOsErrorRecord* record, FILE* handle, const char* format, va_list arguments) {
  ClearRecord(record);
  if (handle == nullptr) return Fail(record, SNLF_VPRINT_NULL_HANDLE);
  return Report(record, SNLF_VPRINT_FAILED, Print(handle, true, format, arguments));
}

extern "C" int32_t snlfprt(NlOsErrorRecord* record, const char* format, ...) {
  ClearRecord(record);
  va_list arguments;
  va_start(arguments, format);
  const uint32_t error = Print(stdout, true, format, arguments);
  va_end(arguments);
  return Report(record, SNLF_PRINT_STDOUT_FAILED, error);
}

extern "C" int32_t snlfpre(NlOsErrorRecord* record, const char* format, ...) {
  ClearRecord(record);
  va_list arguments;
  va_start(arguments, format);
  const uint32_t error = Print(stderr, false, format, arguments);
  va_end(arguments);
  return Report(record, SNLF_PRINT_STDERR_FAILED, error);
}
