// Opening and closing a record's message file, always under the record's mutex.
#include "errors/message_facility_internal.h"
#include "kelnl/nlerrors.h"
#include "platform/core/allocator.h"
#include "platform/nls/nls.h"

extern "C" int32_t nlemomf(NlMessageFacility* facility, NlEmfi* record) {
  if (facility == nullptr || record == nullptr) return NLE_NULL_CONTEXT;
  kelnl::messages::RecordLock lock(facility, record);
  if (record->open & 1) return 0;

  std::size_t cache_size = 0;
  lmsaip(&record->message_file, record->product, record->facility_name, 0, facility->language_handle,
         &facility->language_context, &cache_size);
  if (record->message_file.status != kLmsOpen) return NLE_MESSAGE_FILE_OPEN_FAILED;
  if (cache_size != 0) {
    if (cache_size > NL_MESSAGE_CACHE_LIMIT) cache_size = NL_MESSAGE_CACHE_LIMIT;
    auto* cache = static_cast<char*>(kelnl::Allocate(cache_size));
    if (cache == nullptr) {
      // Not marked open, so the next use tries again; the file must not stay open meanwhile.
      lmsatrm(&record->message_file);
      return NLE_NO_MEMORY;
    }
    lmsacin(cache, cache_size, 1);
    lmsacbn(&record->message_file, cache, 0);
    record->message_buffer = cache;
  }
  record->open |= 1;
  return 0;
}

extern "C" int32_t nlemcmf(NlMessageFacility* facility, NlEmfi* record) {
  if (facility == nullptr || record == nullptr) return 0;
  kelnl::messages::RecordLock lock(facility, record);
  if (record->open & 1) {
    lmsatrm(&record->message_file);
    kelnl::Release(record->message_buffer);
    record->message_buffer = nullptr;
    record->open &= static_cast<std::uint8_t>(~1u);
  }
  return 0;
}
