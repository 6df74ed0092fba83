#include "kelnl/nlep.h"

extern "C" int32_t nlepepe(NlPrimaryErrorRecord* primary, int32_t facility, int32_t error, int32_t kind) {
  if (primary == nullptr) return error;
  if (primary->count < NL_PRIMARY_ERROR_SLOTS && error != 0) {
    NlErrorSlot& slot = primary->errors[primary->count++];
    slot.error = static_cast<uint16_t>(error);
    slot.facility = static_cast<uint8_t>(facility);
    slot.kind = static_cast<uint8_t>(kind);
  } else {
    primary->overflow = 1;
  }
  return error;
}
