// The errors of a primary error record as text, newest first, one message per line.
#include <cstring>

#include "errors/message_facility_internal.h"
#include "kelnl/nlerrors.h"

extern "C" int32_t nleme2t(NlPrimaryErrorRecord* record, NlMessageFacility* facility, char* buffer,
                           size_t size, size_t* text_length) {
  using namespace kelnl::messages;
  if (text_length != nullptr) *text_length = 0;
  if (facility == nullptr) return nlepepe(record, kLibraryFacility, NLE_NULL_CONTEXT, kRecordedKind);
  // With no buffer at all there is nothing to write and nothing wrong: an empty text.
  if (record == nullptr || (buffer == nullptr && size == 0)) {
    if (buffer != nullptr && size != 0) buffer[0] = '\0';
    return 0;
  }
  if (buffer == nullptr || size == 0) {
    return nlepepe(record, kLibraryFacility, NLE_BAD_BUFFER_ARGUMENTS, kRecordedKind);
  }

  std::size_t used = 0;
  const int slots = record->count < NL_PRIMARY_ERROR_SLOTS ? record->count : NL_PRIMARY_ERROR_SLOTS;
  for (int i = slots - 1; i >= 0 && used < size; --i) {
    const NlErrorSlot& slot = record->errors[i];
    if (slot.error == 0 && slot.facility == 0 && slot.kind == 0) continue;
    std::size_t length = 0;
    // The record being printed is not the place for the printer's own errors.
    if (nlemgmz(nullptr, facility, slot.facility, slot.error, slot.kind, 0, 0, 1, buffer + used,
                size - used, &length) != 0) {
      continue;
    }
    used += length;
    buffer[used < size ? used : size - 1] = '\n';
    ++used;
  }
  const std::size_t end = used < size - 1 ? used : size - 1;
  buffer[end] = '\0';
  if (text_length != nullptr) *text_length = end;
  return 0;
}
