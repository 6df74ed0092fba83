// Registering message files with a facility.
#include <cstring>

#include "errors/message_facility_internal.h"
#include "kelnl/nlerrors.h"
#include "platform/core/allocator.h"

namespace kelnl::messages {
namespace {

constexpr std::int32_t kLowestEmfi = 1;
constexpr std::int32_t kHighestEmfi = 255;
constexpr std::size_t kLongestProduct = NL_EMFI_PRODUCT_CAPACITY - 1;
constexpr std::size_t kLongestFacilityName = 5;

bool SameNames(const NlEmfi& record, const char* product, std::size_t product_length,
               const char* facility_name, std::size_t facility_length) {
  return record.product_length == product_length && record.facility_name_length == facility_length &&
         std::memcmp(record.product, product, product_length) == 0 &&
         std::memcmp(record.facility_name, facility_name, facility_length) == 0;
}

// Gives the record its mutex and keeps one thread-context handle for the facility. Every handle
// of the core services names the same services, so a newer handle replaces the kept one and the
// kept one is ended; only a different value is written, which keeps lookups on other threads
// from ever seeing the field change once the first record exists.
bool InitialiseMutex(NlMessageFacility* facility, NlEmfi* record) {
  void* handle = sltsini();
  if (handle == nullptr) return false;
  if (sltsmxi(handle, &record->mutex) != 0) {
    sltster(handle);
    return false;
  }
  void* kept = ThreadContext(facility);
  if (kept == handle) {
    sltster(handle);
  } else {
    std::atomic_ref<void*>(facility->thread_context).store(handle, std::memory_order_release);
    if (kept != nullptr) sltster(kept);
  }
  return true;
}

}  // namespace

std::int32_t RegisterEmfi(NlMessageFacility* facility, std::int32_t number, const char* product,
                          std::size_t product_length, const char* facility_name,
                          std::size_t facility_length) {
  if (number < kLowestEmfi || number > kHighestEmfi) return NLE_EMFI_INVALID;
  // A missing name cannot be compared or copied: it is refused like a name of the wrong size.
  if (product == nullptr || product_length < 1 || product_length > kLongestProduct) {
    return NLE_PRODUCT_NAME_SIZE;
  }
  if (facility_name == nullptr || facility_length < 1 || facility_length > kLongestFacilityName) {
    return NLE_FACILITY_NAME_SIZE;
  }
  if (const NlEmfi* existing = nlemfsearch(facility, number)) {
    return SameNames(*existing, product, product_length, facility_name, facility_length)
               ? 0
               : NLE_EMFI_REGISTERED;
  }

  auto* record = static_cast<NlEmfi*>(AllocateZeroed(1, sizeof(NlEmfi)));
  if (record == nullptr) return NLE_NO_MEMORY;
  if (!InitialiseMutex(facility, record)) {
    Release(record);
    return NLE_MESSAGE_FILE_LOCK_FAILED;
  }
  std::memcpy(record->product, product, product_length);
  record->product_length = static_cast<std::uint32_t>(product_length);
  std::memcpy(record->facility_name, facility_name, facility_length);
  record->facility_name_length = static_cast<std::uint32_t>(facility_length);
  record->number = static_cast<std::uint8_t>(number);
  record->next = ListHead(facility);
  std::atomic_ref<NlEmfi*>(facility->emfi_list).store(record, std::memory_order_release);
  return 0;
}

}  // namespace kelnl::messages

extern "C" int32_t nlemfireg(NlPrimaryErrorRecord* primary, NlMessageFacility* facility,
                             int32_t number, const char* product, size_t product_length,
                             const char* facility_name, size_t facility_length) {
  using namespace kelnl::messages;
  if (facility == nullptr) return nlepepe(primary, kLibraryFacility, NLE_NULL_CONTEXT, kRecordedKind);
  const std::int32_t code =
      RegisterEmfi(facility, number, product, product_length, facility_name, facility_length);
  return code == 0 ? 0 : nlepepe(primary, kLibraryFacility, code, kRecordedKind);
}

extern "C" NlEmfi* nlemfsearch(NlMessageFacility* facility, int32_t number) {
  if (facility == nullptr) return nullptr;
  for (NlEmfi* record = kelnl::messages::ListHead(facility); record != nullptr; record = record->next) {
    if (record->number == number) return record;
  }
  return nullptr;
}
