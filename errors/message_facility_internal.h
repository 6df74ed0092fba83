// Shared by the message facility's files: the record lock, registration and push kinds.
#ifndef KELNL_ERRORS_MESSAGE_FACILITY_INTERNAL_H
#define KELNL_ERRORS_MESSAGE_FACILITY_INTERNAL_H

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "kelnl/nlem.h"
#include "platform/core/core.h"

namespace kelnl::messages {

// The kinds with which the facility pushes its errors: startup reports its own failure as
// signalled, every other operation as recorded.
inline constexpr std::int32_t kLibraryFacility = 1;
inline constexpr std::int32_t kRecordedKind = 2;
inline constexpr std::int32_t kStartupKind = 4;

// Registrations are not locked against lookups (they happen while components start), so the
// list head and the thread-context handle are published atomically: a lookup on another thread
// sees either the list before a registration or the list with the complete new record.
inline NlEmfi* ListHead(NlMessageFacility* facility) {
  return std::atomic_ref<NlEmfi*>(facility->emfi_list).load(std::memory_order_acquire);
}
inline void* ThreadContext(NlMessageFacility* facility) {
  return std::atomic_ref<void*>(facility->thread_context).load(std::memory_order_acquire);
}

// Holds a record's mutex for a scope. The mutex is taken whether or not the global context is
// thread-safe: the facility cannot know which threads share it.
class RecordLock {
 public:
  RecordLock(NlMessageFacility* facility, NlEmfi* record)
      : handle_(ThreadContext(facility)), mutex_(&record->mutex) {
    sltsmna(handle_, mutex_);
  }
  ~RecordLock() { sltsmnr(handle_, mutex_); }
  RecordLock(const RecordLock&) = delete;
  RecordLock& operator=(const RecordLock&) = delete;

 private:
  void* handle_;
  void* mutex_;
};

// Registers an emfi; returns 0 or the code, pushing nothing.
std::int32_t RegisterEmfi(NlMessageFacility* facility, std::int32_t number, const char* product,
                          std::size_t product_length, const char* facility_name,
                          std::size_t facility_length);

}  // namespace kelnl::messages

#endif
