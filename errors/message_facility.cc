// The message facility's life: creation with the built-in message files, name queries and
// destruction.
#include <cstring>

#include "errors/message_facility_internal.h"
#include "kelnl/nlerrors.h"
#include "platform/core/allocator.h"
#include "platform/nls/nls.h"

namespace kelnl::messages {
namespace {

struct BuiltInEmfi {
  std::int32_t number;
  const char* product;
  const char* facility_name;
};

constexpr BuiltInEmfi kBuiltIn[] = {
    {1, "NETWORK", "NL"},
    {3, "NETWORK", "SNL"},
    {22, "RDBMS", "KEL"},
};

// Creation runs before any message file can be read, so its own failures are described by these
// fixed texts, kept in 60-byte slots indexed by code minus 600 and copied slot-wise.
constexpr std::size_t kFixedSlotBytes = 60;
constexpr std::size_t kFixedCopyLimit = kFixedSlotBytes - 1;
constexpr std::int32_t kFirstFixedCode = NLE_NULL_CONTEXT;
constexpr char kFixedTexts[][kFixedSlotBytes] = {
    "NL-00600: null context\n",
    "NL-00601: memory allocation failed\n",
    "NL-00602: emfi already registered\n",
    "NL-00603: emfi not registered\n",
    "",
    "NL-00605: national language initialization failed\n",
    "NL-00606: message file open failed\n",
    "NL-00607: invalid emfi\n",
    "NL-00608: invalid product name size\n",
    "NL-00609: invalid facility name size\n",
};
// Codes without a fixed text (610, 611) copy from an empty slot.
constexpr char kEmptySlot[kFixedSlotBytes] = {};

const char* FixedSlot(std::int32_t code) {
  const std::int32_t index = code - kFirstFixedCode;
  const auto count = static_cast<std::int32_t>(sizeof kFixedTexts / sizeof kFixedTexts[0]);
  return index >= 0 && index < count ? kFixedTexts[index] : kEmptySlot;
}

// The count stored is the number of bytes copied from the slot, not the text's own length.
void WriteFixedText(std::int32_t code, char* buffer, std::size_t size, std::size_t* length) {
  std::size_t copied = 0;
  if (buffer != nullptr && size != 0) {
    copied = size - 1 < kFixedCopyLimit ? size - 1 : kFixedCopyLimit;
    std::memcpy(buffer, FixedSlot(code), copied);
    buffer[copied] = '\0';
  }
  if (length != nullptr) *length = copied;
}

std::int32_t StartLanguage(NlMessageFacility* facility) {
  std::int32_t scratch = 0;
  facility->language_id = lxlinit(0, 1, &scratch);
  lxinitc(&facility->language_context, facility->language_id, 0, 0);
  facility->language_handle = lxhcurrlangid(&facility->language_work, &facility->language_context);
  return facility->language_handle == nullptr ? NLE_LANGUAGE_FAILED : 0;
}

std::int32_t CreateFacility(NlMessageFacility** slot) {
  if (slot == nullptr) return NLE_NULL_CONTEXT;
  *slot = nullptr;
  auto* facility = static_cast<NlMessageFacility*>(AllocateZeroed(1, sizeof(NlMessageFacility)));
  if (facility == nullptr) return NLE_NO_MEMORY;
  *slot = facility;
  if (const std::int32_t code = StartLanguage(facility)) return code;
  for (const BuiltInEmfi& emfi : kBuiltIn) {
    const std::int32_t code = RegisterEmfi(facility, emfi.number, emfi.product, std::strlen(emfi.product),
                                           emfi.facility_name, std::strlen(emfi.facility_name));
    if (code != 0) return code;
  }
  return 0;
}

void DestroyRecord(NlMessageFacility* facility, NlEmfi* record) {
  {
    RecordLock lock(facility, record);
    if (record->open & 1) lmsatrm(&record->message_file);
  }
  Release(record->message_buffer);
  sltsmxd(ThreadContext(facility), &record->mutex);
  Release(record);
}

std::size_t CopyName(const char* name, std::size_t length, char* buffer, std::size_t size) {
  const std::size_t copied = size < length ? size : length;
  std::memcpy(buffer, name, copied);
  return copied;
}

}  // namespace
}  // namespace kelnl::messages

using namespace kelnl::messages;

extern "C" int32_t nleminz(NlPrimaryErrorRecord* primary, NlMessageFacility** facility_slot, int32_t,
                           char* error_buffer, size_t error_buffer_size, size_t* error_length) {
  const std::int32_t code = CreateFacility(facility_slot);
  if (code == 0) return 0;
  WriteFixedText(code, error_buffer, error_buffer_size, error_length);
  return nlepepe(primary, kLibraryFacility, code, kStartupKind);
}

extern "C" int32_t nlemgpf(NlPrimaryErrorRecord* primary, NlMessageFacility* facility, int32_t emfi,
                           char* product_buffer, size_t product_size, size_t* product_length,
                           char* facility_buffer, size_t facility_size, size_t* facility_name_length) {
  if (facility == nullptr) return nlepepe(primary, kLibraryFacility, NLE_NULL_CONTEXT, kRecordedKind);
  if (product_buffer == nullptr || facility_buffer == nullptr || product_size == 0 || facility_size == 0) {
    return nlepepe(primary, kLibraryFacility, NLE_BAD_BUFFER_ARGUMENTS, kRecordedKind);
  }
  const NlEmfi* record = nlemfsearch(facility, emfi);
  if (record == nullptr) return nlepepe(primary, kLibraryFacility, NLE_EMFI_NOT_REGISTERED, kRecordedKind);
  const std::size_t product_copied = CopyName(record->product, record->product_length, product_buffer, product_size);
  const std::size_t facility_copied =
      CopyName(record->facility_name, record->facility_name_length, facility_buffer, facility_size);
  if (product_length != nullptr) *product_length = product_copied;
  if (facility_name_length != nullptr) *facility_name_length = facility_copied;
  return 0;
}

extern "C" int32_t nlemdestroy(NlPrimaryErrorRecord* primary, NlMessageFacility** facility_slot) {
  if (facility_slot == nullptr || *facility_slot == nullptr) {
    return nlepepe(primary, kLibraryFacility, NLE_NULL_CONTEXT, kRecordedKind);
  }
  NlMessageFacility* facility = *facility_slot;
  NlEmfi* record = facility->emfi_list;
  while (record != nullptr) {
    NlEmfi* next = record->next;
    DestroyRecord(facility, record);
    record = next;
  }
  if (facility->thread_context != nullptr) sltster(facility->thread_context);
  kelnl::Release(facility);
  *facility_slot = nullptr;
  return 0;
}
