// The eight operations of kelzt: they check the caller's words and pointers, find the
// registration the state word names, and hand over to registration.cc and trace_output.cc.
#include <cstring>

#include "platform/ztrace/registration.h"
#include "platform/ztrace/ztrace.h"

namespace kelzt {
namespace {

bool InterfaceMatches(std::int32_t word_1, std::uint32_t interface_id, std::int32_t word_3) {
  return word_1 == ZT_WORD_1 && interface_id == ZT_INTERFACE_ID && word_3 == ZT_WORD_3;
}

bool InterfaceAndVersionMatch(std::int32_t word_1, std::uint32_t interface_id, std::int32_t word_3,
                              const char* version) {
  return InterfaceMatches(word_1, interface_id, word_3) && version != nullptr &&
         std::strcmp(version, ZT_VERSION) == 0;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 16 hexadecimal characters of either case, high nibble first.
bool ParseHexKey(const char* text, std::uint8_t (&key)[kKeyBytes]) {
  for (std::size_t i = 0; i < kKeyBytes; ++i) {
    const int high = HexDigitValue(text[2 * i]);
    if (high < 0) return false;
    const int low = HexDigitValue(text[2 * i + 1]);
    if (low < 0) return false;
    key[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return true;
}

// The size ordinal 11 reports: a key record as it lies in the file, plus 8.
constexpr std::int32_t kControlSize =
    static_cast<std::int32_t>(kLengthFieldBytes + kRecordFixedBytes + kKeyBytes + 8);

}  // namespace
}  // namespace kelzt

using namespace kelzt;

extern "C" {

int32_t zt22_register(int32_t word_1, uint32_t interface_id, int32_t word_3, const char* version,
                      const char* startup_name, int32_t, void** handle_slot, int32_t type_count,
                      int32_t, int32_t, int32_t, int32_t, int32_t, uintptr_t* state) {
  // A caller built for another set of record types would be misread: refuse it.
  if (!InterfaceAndVersionMatch(word_1, interface_id, word_3, version) ||
      type_count != ZT_TYPE_COUNT) {
    return ZT_ERROR_REFUSED;
  }
  if (handle_slot == nullptr || state == nullptr) return kErrorBadArgument;
  ListLock list;
  Registration* registration = CreateRegistration(startup_name);
  if (registration == nullptr) return ZT_ERROR_RESOURCES;
  *handle_slot = registration;
  *state = registration->state;
  return 0;
}

int32_t zt13_configure(int32_t word_1, uint32_t interface_id, int32_t word_3, const char* version,
                       const int32_t* enable_vector, const char* trace_name,
                       const char* configuration_path, int32_t, int32_t, uintptr_t* state) {
  if (!InterfaceAndVersionMatch(word_1, interface_id, word_3, version)) return ZT_ERROR_REFUSED;
  if (enable_vector == nullptr || trace_name == nullptr || configuration_path == nullptr) {
    return ZT_ERROR_CONFIGURATION;
  }
  if (state == nullptr) return kErrorBadArgument;
  ListLock list;
  Registration* registration = FindRegistration(*state);
  if (registration == nullptr) return kErrorNoRegistration;
  LockRegistration(registration);
  const std::int32_t result = OpenTraceFile(registration, trace_name, configuration_path);
  if (result == 0) {
    for (int type = 0; type < ZT_TYPE_COUNT; ++type) {
      registration->enabled[type] = enable_vector[type] != 0 ? 1 : 0;
    }
    registration->trace_on.store(1);
  }
  UnlockRegistration(registration);
  return result;
}

int32_t zt11_control(int32_t two, int32_t three, uintptr_t argument, int32_t, int32_t* size_slot) {
  if (two != 2 || three != 3) return kErrorBadArgument;
  if (argument != 0) {
    ListLock list;
    if (FindRegistration(argument) == nullptr) return kErrorNoRegistration;
  }
  if (size_slot != nullptr) *size_slot = kControlSize;
  return 0;
}

int32_t zt8_set_key(int32_t word_1, uint32_t interface_id, int32_t word_3, const char* version,
                    const char* hex_key, int32_t three, uintptr_t* state) {
  if (!InterfaceAndVersionMatch(word_1, interface_id, word_3, version)) return ZT_ERROR_REFUSED;
  std::uint8_t key[kKeyBytes];
  if (hex_key == nullptr || three != 3 || state == nullptr || !ParseHexKey(hex_key, key)) {
    return kErrorBadArgument;
  }
  ListLock list;
  Registration* registration = FindRegistration(*state);
  if (registration == nullptr) return kErrorNoRegistration;
  LockRegistration(registration);
  std::memcpy(registration->key, key, kKeyBytes);
  UnlockRegistration(registration);
  return 0;
}

int32_t zt18_write(int32_t word_1, uint32_t interface_id, int32_t word_3, int32_t type, int32_t,
                   const void* record, uint32_t length, int32_t, uintptr_t external_argument,
                   int32_t, uintptr_t* state) {
  if (!InterfaceMatches(word_1, interface_id, word_3)) return ZT_ERROR_REFUSED;
  if (state == nullptr || type < 0 || type >= ZT_TYPE_COUNT || (record == nullptr && length > 0)) {
    return kErrorBadArgument;
  }
  Registration* registration = nullptr;
  {
    ListLock list;
    registration = FindRegistration(*state);
    if (registration == nullptr) return kErrorNoRegistration;
    // Taken before the list lock goes, so that termination waits for this record.
    LockRegistration(registration);
  }
  std::int32_t result = 0;
  // A record of a disabled type, or one that arrives while the trace is off, is dropped.
  if (registration->trace_on.load() != 0 && registration->enabled[type] != 0) {
    result = AppendRecord(registration, static_cast<std::uint16_t>(type), record, length,
                          external_argument);
  }
  UnlockRegistration(registration);
  return result;
}

int32_t zt20_flush(int32_t two) {
  if (two != 2) return kErrorBadArgument;
  std::int32_t result = 0;
  ListLock list;
  for (Registration* r = FirstRegistration(); r != nullptr; r = r->next) {
    LockRegistration(r);
    if (r->file != nullptr && std::fflush(r->file) != 0) result = kErrorWriteFailed;
    UnlockRegistration(r);
  }
  return result;
}

int32_t zt24_deregister(int32_t word_1, uint32_t interface_id, int32_t word_3, const char* version,
                        int32_t, int32_t three, uintptr_t* state) {
  if (!InterfaceAndVersionMatch(word_1, interface_id, word_3, version)) return ZT_ERROR_REFUSED;
  if (three != 3 || state == nullptr) return kErrorBadArgument;
  ListLock list;
  Registration* registration = FindRegistration(*state);
  if (registration == nullptr) return kErrorNoRegistration;
  LockRegistration(registration);
  registration->trace_on.store(0);
  CloseTraceFile(registration);
  UnlockRegistration(registration);
  return 0;
}

int32_t zt16_terminate(int32_t word_1, uint32_t interface_id, int32_t word_3, const char* version,
                       uintptr_t* state) {
  if (!InterfaceAndVersionMatch(word_1, interface_id, word_3, version)) return ZT_ERROR_REFUSED;
  if (state == nullptr) return kErrorBadArgument;
  ListLock list;
  Registration* registration = FindRegistration(*state);
  if (registration == nullptr) return kErrorNoRegistration;
  DestroyRegistration(registration);
  *state = 0;
  return 0;
}

}  // extern "C"
