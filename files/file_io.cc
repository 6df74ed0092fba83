// Reading, writing and positioning streams.
#include <climits>
#include <cstdio>
#include <cstring>

#include "files/os_record.h"
#include "kelnl/snlf.h"

using kelnl::files::ClearRecord;
using kelnl::files::CurrentErrno;
using kelnl::files::Fail;

extern "C" int32_t snlffls(NlOsErrorRecord* record, FILE* handle) {
  ClearRecord(record);
  if (handle == nullptr) return Fail(record, SNLF_FLUSH_NULL_HANDLE);
  errno = 0;
  if (std::fflush(handle) != 0) return Fail(record, SNLF_FLUSH_FAILED, CurrentErrno());
  return 0;
}

extern "C" int32_t snlfgch(NlOsErrorRecord* record, FILE* handle, int32_t* character) {
  ClearRecord(record);
  if (handle == nullptr) return Fail(record, SNLF_GETC_NULL_HANDLE);
  errno = 0;
  const int read = std::fgetc(handle);
  if (read == EOF) {
    // The end-of-file indicator tells a clean end from a failed read; both end the caller's input.
    if (std::feof(handle) != 0) return Fail(record, SNLF_GETC_END_OF_FILE);
    return Fail(record, SNLF_GETC_READ_ERROR, static_cast<uint32_t>(std::ferror(handle)));
  }
  if (character != nullptr) *character = read;
  return 0;
}

extern "C" int32_t snlfuch(NlOsErrorRecord* record, FILE* handle, int32_t character) {
  ClearRecord(record);
  if (handle == nullptr) return Fail(record, SNLF_UNGETC_NULL_HANDLE);
  errno = 0;
  if (std::ungetc(character, handle) == EOF) return Fail(record, SNLF_UNGETC_FAILED, CurrentErrno());
  return 0;
}

extern "C" int32_t snlfglh(NlOsErrorRecord* record, FILE* handle, char* buffer, uint32_t size,
                           uint32_t* length) {
  ClearRecord(record);
  if (length != nullptr) *length = 0;
  if (handle == nullptr) return Fail(record, SNLF_LINE_NULL_HANDLE);
  // fgets has no room to store even its terminator here.
  if (buffer == nullptr || size == 0) return Fail(record, SNLF_LINE_FAILED, EINVAL);
  const int limit = size > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
  errno = 0;
  if (std::fgets(buffer, limit, handle) == nullptr) {
    if (std::ferror(handle) == 0) return Fail(record, SNLF_LINE_END_OF_FILE);
    return Fail(record, SNLF_LINE_FAILED, CurrentErrno());
  }
  if (length != nullptr) *length = static_cast<uint32_t>(std::strlen(buffer));
  return 0;
}

extern "C" int32_t snlfglt(NlOsErrorRecord* record, char* buffer, uint32_t size, uint32_t* length) {
  return snlfglh(record, stdin, buffer, size, length);
}

// snlfrd and snlfwrt write the record only on failure: the stream layer calls them between
// other operations whose outcome it still needs.
extern "C" int32_t snlfrd(NlOsErrorRecord* record, FILE* handle, void* buffer, uint32_t size,
                          uint32_t* count) {
  if (count != nullptr) *count = 0;
  if (handle == nullptr) return Fail(record, SNLF_READ_NULL_HANDLE);
  // Asking for nothing is not an end of file: it succeeds like a write of size 0.
  if (size == 0) return 0;
  if (buffer == nullptr) return Fail(record, SNLF_READ_NOTHING, EINVAL);
  errno = 0;
  const std::size_t read = std::fread(buffer, 1, size, handle);
  if (read == 0) return Fail(record, SNLF_READ_NOTHING, CurrentErrno());
  if (count != nullptr) *count = static_cast<uint32_t>(read);
  return 0;
}

extern "C" int32_t snlfwrt(NlOsErrorRecord* record, FILE* handle, const void* buffer, uint32_t size) {
  if (handle == nullptr) return Fail(record, SNLF_WRITE_NULL_HANDLE);
  if (size == 0) return 0;
  if (buffer == nullptr) return Fail(record, SNLF_WRITE_FAILED, EINVAL);
  errno = 0;
  if (std::fwrite(buffer, size, 1, handle) != 1) return Fail(record, SNLF_WRITE_FAILED, CurrentErrno());
  return 0;
}

extern "C" int32_t snlfsek(NlOsErrorRecord* record, FILE* handle, int32_t origin, int32_t offset) {
  ClearRecord(record);
  if (handle == nullptr) return Fail(record, SNLF_SEEK_NULL_HANDLE);
  errno = 0;
  if (std::fseek(handle, offset, origin) != 0) return Fail(record, SNLF_SEEK_FAILED, CurrentErrno());
  return 0;
}

extern "C" int32_t snlftel(NlOsErrorRecord* record, FILE* handle, int32_t* position) {
  ClearRecord(record);
  if (position != nullptr) *position = 0;
  if (handle == nullptr) return Fail(record, SNLF_TELL_NULL_HANDLE);
  errno = 0;
  const long current = std::ftell(handle);
  if (current < 0) return Fail(record, SNLF_TELL_FAILED, CurrentErrno());
  // Positions are 32-bit words for the product's other components.
  if (current > INT32_MAX) return Fail(record, SNLF_TELL_FAILED, EOVERFLOW);
  if (position != nullptr) *position = static_cast<int32_t>(current);
  return 0;
}
