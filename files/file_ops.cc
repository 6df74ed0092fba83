// Deleting, renaming and probing files by name.
#include <cstring>

#include "files/name_parts.h"
#include "files/os_record.h"
#include "kelnl/snlf.h"
#include "platform/core/allocator.h"
#include "platform/os/os.h"

using kelnl::files::ClearRecord;
using kelnl::files::CurrentErrno;
using kelnl::files::Fail;

namespace {

// A name of at most SNLF_NAME_LIMIT characters, terminated, on the stack: these operations
// refuse longer names before any system call, so they never need to allocate.
struct ShortName {
  char text[SNLF_NAME_LIMIT + 1];

  // False when the name is too long; a null name is taken as empty, which the system refuses.
  bool Assign(const char* name, uint32_t length) {
    if (length > SNLF_NAME_LIMIT) return false;
    if (name == nullptr) length = 0;
    if (length != 0) std::memcpy(text, name, length);
    text[length] = '\0';
    return true;
  }
};

}  // namespace

extern "C" int32_t snlfdel(NlOsErrorRecord* record, const char* name, uint32_t name_length) {
  ClearRecord(record);
  ShortName file;
  if (!file.Assign(name, name_length)) return Fail(record, SNLF_DEL_NAME_TOO_LONG, 0, SNLF_OVERLONG_EXTRA);
  const int error = kelnl::os::RemoveFile(file.text);
  return error == 0 ? 0 : Fail(record, SNLF_DEL_FAILED, static_cast<uint32_t>(error));
}

extern "C" int32_t snlfrnm(NlOsErrorRecord* record, const char* old_name, uint32_t old_length,
                           const char* new_name, uint32_t new_length) {
  ClearRecord(record);
  ShortName from;
  ShortName to;
  if (!from.Assign(old_name, old_length))
    return Fail(record, SNLF_RNM_OLD_NAME_TOO_LONG, 0, SNLF_OVERLONG_EXTRA);
  if (!to.Assign(new_name, new_length))
    return Fail(record, SNLF_RNM_NEW_NAME_TOO_LONG, 0, SNLF_OVERLONG_EXTRA);
  const kelnl::os::RenameResult result = kelnl::os::RenameReplacing(from.text, to.text);
  if (result.move_failed) return Fail(record, SNLF_RNM_MOVE_FAILED, result.move_error);
  // The target could not be deleted and yet the second move went through (someone else removed
  // the target in between): the record keeps the delete failure it was given, and so does the
  // result, as it does whenever a code was stored.
  if (result.target_delete_failed) return Fail(record, SNLF_DEL_FAILED, result.delete_error);
  return 0;
}

namespace kelnl::files {

// Missing memory and unexpected failures return 1 rather than their code: callers treat any
// result but 0, 44 and 45 as "cannot tell" and find the detail in the record.
std::int32_t ProbeAccess(NlOsErrorRecord* record, std::int32_t mode, const char* name) {
  ClearRecord(record);
  const int error = kelnl::os::ProbeAccess(name, mode);
  if (error == 0) return 0;
  if (error == ENOENT) return Fail(record, SNLF_ACCESS_NO_SUCH_FILE, ENOENT);
  if (error == EACCES) return Fail(record, SNLF_ACCESS_DENIED, EACCES);
  Fail(record, 0, static_cast<uint32_t>(error));
  return kProbeOtherFailure;
}

}  // namespace kelnl::files

extern "C" int32_t snlfacc(NlOsErrorRecord* record, int32_t mode, const char* name, uint32_t name_length) {
  ClearRecord(record);
  if (name == nullptr) {
    Fail(record, 0, EINVAL);
    return kelnl::files::kProbeOtherFailure;
  }
  // Names here have no length limit, so the terminated copy is allocated.
  kelnl::UniqueBlock<char> file(static_cast<char*>(kelnl::Allocate(std::size_t{name_length} + 1)));
  if (file == nullptr) {
    Fail(record, SNLF_ACCESS_NO_MEMORY);
    return kelnl::files::kProbeOtherFailure;
  }
  if (name_length != 0) std::memcpy(file.get(), name, name_length);
  file.get()[name_length] = '\0';
  return kelnl::files::ProbeAccess(record, mode, file.get());
}

extern "C" int32_t snlflch(NlOsErrorRecord* record, const char* name, void*, uint32_t* time) {
  ClearRecord(record);
  if (time != nullptr) *time = 0;
  if (name == nullptr) return Fail(record, SNLF_STAT_FAILED, EINVAL);
  std::int64_t seconds = 0;
  const int error = kelnl::os::ModificationTime(name, &seconds);
  if (error != 0) return Fail(record, SNLF_STAT_FAILED, static_cast<uint32_t>(error));
  // Centiseconds kept in one 32-bit word wrap about every 497 days; callers compare, not date.
  if (time != nullptr) *time = static_cast<uint32_t>(static_cast<uint64_t>(seconds) * 100u);
  return 0;
}
