// Temporary files named after the process and a process-wide counter.
#include <atomic>
#include <cstdio>
#include <cstring>

#include "files/os_record.h"
#include "files/temporary_counter.h"
#include "kelnl/snlf.h"
#include "platform/os/os.h"

using kelnl::files::ClearRecord;
using kelnl::files::CurrentErrno;
using kelnl::files::Fail;

namespace kelnl::files {
namespace {

// No lock is taken; the compare-and-swap below still gives every caller its own number when
// threads race, so no two files of one process are ever named alike in one cycle.
std::atomic<std::uint32_t> temporary_counter{0};

}  // namespace

std::uint32_t TakeTemporaryNumber() {
  std::uint32_t current = temporary_counter.load(std::memory_order_relaxed);
  while (!temporary_counter.compare_exchange_weak(current, (current + 1) % kTemporaryCounterLimit,
                                                  std::memory_order_relaxed)) {
  }
  return current;
}

}  // namespace kelnl::files

namespace {

// The length of the directory part of a template: everything before its last separator. A
// template without a separator keeps nothing, so its temporary file starts at the root (of the
// current drive on Windows); callers pass the full name of the file the temporary one replaces.
uint32_t DirectoryLength(const char* path, uint32_t length) {
  const char separator = kelnl::os::PathSeparator();
  while (length > 0 && path[length - 1] != separator) --length;
  return length == 0 ? 0 : length - 1;
}

}  // namespace

extern "C" int32_t snlftmp(NlOsErrorRecord* record, const char* template_path, uint32_t template_length,
                           char* buffer, uint32_t size, uint32_t* length, FILE** handle_slot) {
  ClearRecord(record);
  if (length != nullptr) *length = 0;
  if (buffer == nullptr || size < SNLF_TEMPORARY_BUFFER_MINIMUM)
    return Fail(record, SNLF_TMP_BUFFER_TOO_SMALL);
  // Without a slot the new file could never be closed; refuse before creating it.
  if (handle_slot == nullptr) return Fail(record, SNLF_TMP_OPEN_FAILED, EINVAL);
  *handle_slot = nullptr;

  // The name part written below needs at most 16 of the 22 characters kept back.
  uint32_t kept = template_path == nullptr ? 0 : template_length;
  if (kept > size - SNLF_TEMPORARY_BUFFER_MINIMUM) kept = size - SNLF_TEMPORARY_BUFFER_MINIMUM;
  const uint32_t directory = DirectoryLength(template_path, kept);
  if (directory != 0) std::memcpy(buffer, template_path, directory);
  const int written = std::snprintf(buffer + directory, size - directory, "%c%u.%u",
                                    kelnl::os::PathSeparator(), static_cast<unsigned>(kelnl::os::ProcessId()),
                                    static_cast<unsigned>(kelnl::files::TakeTemporaryNumber()));
  const uint32_t name_length = directory + static_cast<uint32_t>(written);

  errno = 0;
  FILE* handle = kelnl::os::OpenStream(buffer, "w");
  if (handle == nullptr) return Fail(record, SNLF_TMP_OPEN_FAILED, CurrentErrno());
  *handle_slot = handle;
  if (length != nullptr) *length = name_length;
  return 0;
}
