// Process and thread ids, sleeping and the user name.
#include "kelnl/snlpc.h"
#include "platform/core/core.h"
#include "platform/os/os.h"
#include "util/os_error_record.h"

extern "C" {

int32_t snlpcgpid(NlOsErrorRecord* err, uint32_t* out) {
  kelnl::ClearOsError(err);
  if (out != nullptr) *out = kelnl::os::ProcessId();
  return 0;
}

int32_t snlpcgtid(NlOsErrorRecord* err, uint32_t* out) {
  kelnl::ClearOsError(err);
  if (out != nullptr) *out = kelnl::os::ThreadId();
  return 0;
}

// Rounded to the nearest millisecond: 1499 microseconds sleep 1 ms, 1500 sleep 2 ms.
int32_t snlpcsu_sleep_usecs(NlOsErrorRecord* err, uint32_t usecs, uint32_t* slept) {
  kelnl::ClearOsError(err);
  const uint32_t milliseconds = (usecs + 500u) / 1000u;
  kelnl::os::SleepMilliseconds(milliseconds);
  if (slept != nullptr) *slept = milliseconds * 1000u;
  return 0;
}

int32_t snlpcgun(NlOsErrorRecord* err, void*, void*, char* buffer, int32_t* length) {
  kelnl::ClearOsError(err);
  if (length == nullptr) return -1;
  SlCoreError core_error{};
  *length = sigunmu(&core_error, buffer, *length);
  return *length;
}

}  // extern "C"
