// Opening and closing streams.
#include <cstdio>
#include <cstring>

#include "files/open_mode.h"
#include "files/os_record.h"
#include "kelnl/snlf.h"
#include "platform/os/os.h"

using kelnl::files::ClearRecord;
using kelnl::files::CurrentErrno;
using kelnl::files::Fail;

namespace {

bool IsStandardStream(const FILE* handle) { return handle == stdin || handle == stdout || handle == stderr; }

}  // namespace

extern "C" int32_t snlfohd(NlOsErrorRecord* record, uint32_t mode, const char* name, uint32_t name_length,
                           FILE** handle_slot) {
  ClearRecord(record);
  if (name_length > SNLF_OPEN_NAME_LIMIT) {
    return Fail(record, SNLF_OPEN_NAME_TOO_LONG, 0, SNLF_OVERLONG_EXTRA);
  }
  if (handle_slot == nullptr) return Fail(record, SNLF_OPEN_NO_HANDLE_SLOT);
  *handle_slot = nullptr;
  char open_mode[kelnl::files::kOpenModeCapacity];
  if (!kelnl::files::BuildOpenMode(mode, open_mode)) return Fail(record, SNLF_OPEN_BAD_MODE);
  if (name == nullptr && name_length != 0) return Fail(record, SNLF_OPEN_FAILED, EINVAL);

  char terminated[SNLF_OPEN_NAME_LIMIT + 1];
  if (name_length != 0) std::memcpy(terminated, name, name_length);
  terminated[name_length] = '\0';
  errno = 0;
  FILE* handle = kelnl::os::OpenStream(terminated, open_mode);
  if (handle == nullptr) return Fail(record, SNLF_OPEN_FAILED, CurrentErrno());
  *handle_slot = handle;
  return 0;
}

extern "C" int32_t snlfoty(NlOsErrorRecord* record, uint32_t selector, FILE** handle_slot) {
  ClearRecord(record);
  FILE* handle = nullptr;
  switch (selector) {
    case SNLF_STANDARD_INPUT:
      handle = stdin;
      break;
    case SNLF_STANDARD_OUTPUT:
      handle = stdout;
      break;
    case SNLF_STANDARD_ERROR:
      handle = stderr;
      break;
    default:
      return Fail(record, SNLF_STD_BAD_SELECTOR, 0, selector);
  }
  // A missing slot is the same fault as in snlfohd and gets its code.
  if (handle_slot == nullptr) return Fail(record, SNLF_OPEN_NO_HANDLE_SLOT);
  *handle_slot = handle;
  return 0;
}

// Writes the record only on failure: callers close files while a record still describes an
// earlier failure they are about to report.
extern "C" int32_t snlfchd(NlOsErrorRecord* record, FILE* handle) {
  if (handle == nullptr) return Fail(record, SNLF_CLOSE_NULL_HANDLE);
  // Other components of the process keep using the standard streams.
  if (IsStandardStream(handle)) return 0;
  errno = 0;
  if (std::fclose(handle) != 0) return Fail(record, SNLF_CLOSE_FAILED, CurrentErrno());
  return 0;
}
