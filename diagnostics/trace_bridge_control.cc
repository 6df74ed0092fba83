// Starting the external trace, keys, and deregistration.
#include <cstring>

#include "diagnostics/stream_report.h"
#include "diagnostics/trace_bridge.h"
#include "diagnostics/trace_config.h"
#include "kelnl/nlpa.h"
#include "kelnl/nlstd.h"
#include "platform/ztrace/ztrace.h"

namespace {

using kelnl::diagnostics::BridgeActive;

constexpr std::size_t kTraceNameLimit = 256;
constexpr std::size_t kKeyBytes = 8;
constexpr std::int32_t kControlWord = 3;
constexpr std::int32_t kRegisterWord = 2;
// Levels from which record types are enabled.
constexpr std::int32_t kUserLevel = 4;
constexpr std::int32_t kAdminLevel = 6;
constexpr std::int32_t kSupportLevel = 16;

std::int32_t RegistrationFailure(std::int32_t error) {
  switch (error) {
    case ZT_ERROR_REFUSED: return NLE_TRACE_REGISTER_REFUSED;
    case ZT_ERROR_CONFIGURATION: return NLE_TRACE_REGISTER_CONFIG;
    case ZT_ERROR_RESOURCES: return NLE_TRACE_REGISTER_RESOURCES;
    default: return NLE_TRACE_REGISTER_FAILED;
  }
}

void Deactivate(NlTraceContext* trace) {
  trace->external_handle = nullptr;
  trace->flags = static_cast<std::uint8_t>(trace->flags & ~NLDT_FLAG_EXTERNAL);
}

bool UseExternalTrace(const NlTraceContext* trace) {
  NlGlobalContext* context = trace->context;
  if (context == nullptr) return false;
  std::int32_t on = 0;
  return nlpagbp(context->primary_errors, context->parameters, "use_ztrace", 10, 1, &on) == 0 && on != 0;
}

void BuildEnableVector(std::int32_t level, std::int32_t* vector) {
  std::memset(vector, 0, sizeof(std::int32_t) * ZT_TYPE_COUNT);
  if (level >= kUserLevel) {
    vector[ZT_TYPE_DETAIL_LOW] = 1;
    for (std::int32_t type = 5; type <= 13; ++type) vector[type] = 1;
  }
  if (level >= kAdminLevel) vector[ZT_TYPE_DETAIL_MID] = 1;
  if (level >= kSupportLevel) {
    vector[ZT_TYPE_DETAIL_HIGH] = 1;
    vector[ZT_TYPE_DUMP] = 1;
  }
}

// The external trace names its file itself: the name goes without its ".trc".
void ExternalTraceName(const char* trace_name, char* name) {
  std::size_t length = std::strlen(trace_name);
  if (length > kTraceNameLimit) length = kTraceNameLimit;
  std::memcpy(name, trace_name, length);
  name[length] = '\0';
  char* point = std::strrchr(name, '.');
  if (point != nullptr && std::strcmp(point, ".trc") == 0) *point = '\0';
}

void HexKey(const std::uint8_t* key, const char* digits, char* text) {
  for (std::size_t i = 0; i < kKeyBytes; ++i) {
    text[2 * i] = digits[key[i] >> 4];
    text[2 * i + 1] = digits[key[i] & 0x0F];
  }
}

std::int32_t SendKey(NlTraceContext* trace, const std::uint8_t* key, const char* digits) {
  char text[2 * kKeyBytes];
  HexKey(key, digits, text);
  return zt8_set_key(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, text, kControlWord, &trace->external_state);
}

std::int32_t WriteKeyRecord(NlTraceContext* trace, const std::uint8_t* key) {
  const std::int32_t written = zt18_write(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_TYPE_KEY, 0, key, kKeyBytes, 0, 0,
                                          0, &trace->external_state);
  const std::int32_t flushed = zt20_flush(ZT_WORD_1);
  return written != 0 ? written : flushed;
}

}  // namespace

extern "C" int32_t nldtotinit(NlTraceContext* trace, const char* startup_name, int32_t level, const char* trace_name,
                              const char* configuration_path) {
  if (trace == nullptr || trace_name == nullptr || configuration_path == nullptr) return NLE_TRACE_REGISTER_REFUSED;
  (void)kelnl::diagnostics::AttachGlobalContext(trace);
  if (trace->mode == NLDT_MODE_INTERNAL && UseExternalTrace(trace)) trace->mode = NLDT_MODE_EXTERNAL;
  if (trace->mode == NLDT_MODE_INTERNAL) return 0;

  void* handle = nullptr;
  const std::int32_t registered = zt22_register(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, startup_name, 0,
                                                &handle, ZT_TYPE_COUNT, kRegisterWord, 0, 0, 0, 0,
                                                &trace->external_state);
  if (registered != 0) {
    Deactivate(trace);
    return RegistrationFailure(registered);
  }
  trace->flags = static_cast<std::uint8_t>(trace->flags | NLDT_FLAG_EXTERNAL);
  trace->external_handle = handle;
  if (level <= 0) {
    Deactivate(trace);
    return 0;
  }
  std::int32_t vector[ZT_TYPE_COUNT];
  BuildEnableVector(level, vector);
  char name[kTraceNameLimit + 1];
  ExternalTraceName(trace_name, name);
  std::int32_t failed = zt13_configure(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, vector, name,
                                       configuration_path, 0, 0, &trace->external_state);
  if (failed == 0) {
    std::int32_t size = 0;
    failed = zt11_control(ZT_WORD_1, kControlWord, 0, 0, &size);
  }
  if (failed != 0) {
    Deactivate(trace);
    return RegistrationFailure(failed);
  }
  trace->flags = static_cast<std::uint8_t>(trace->flags | NLDT_FLAG_ON);
  return 0;
}

extern "C" int32_t nldtotCF3(NlTraceContext* trace, const uint8_t* key, uintptr_t argument) {
  if (trace == nullptr || key == nullptr || !BridgeActive(trace)) return NLE_TRACE_BRIDGE_INACTIVE;
  (void)zt11_control(ZT_WORD_1, kControlWord, argument, 0, nullptr);
  if (SendKey(trace, key, "0123456789ABCDEF") != 0) return NLE_TRACE_BRIDGE_INACTIVE;
  (void)WriteKeyRecord(trace, key);
  return 0;
}

extern "C" int32_t nldtotset(NlPrimaryErrorRecord* errors, NlTraceContext* trace, const uint8_t* key,
                             uintptr_t argument, int32_t* size_slot) {
  auto fail = [size_slot] {
    if (size_slot != nullptr) *size_slot = 0;
    return NLE_TRACE_BRIDGE_INACTIVE;
  };
  if (errors == nullptr) return fail();
  if (trace == nullptr) {
    kelnl::diagnostics::Fail(errors, NLE_TRACE_NULL);
    return fail();
  }
  if (!BridgeActive(trace) || key == nullptr) return fail();
  // The size comes back through the caller's slot; without one there is no size to deliver.
  if (zt11_control(ZT_WORD_1, kControlWord, argument, 0, size_slot) != 0 || size_slot == nullptr || *size_slot == 0) {
    return fail();
  }
  *size_slot -= static_cast<std::int32_t>(kKeyBytes);
  if (SendKey(trace, key, "0123456789abcdef") != 0 || WriteKeyRecord(trace, key) != 0) return fail();
  return 0;
}

extern "C" int32_t nldtotdereg(NlPrimaryErrorRecord* errors, NlTraceContext* trace) {
  if (trace == nullptr) {
    kelnl::diagnostics::Fail(errors, NLE_TRACE_NULL);
    return NLE_TRACE_BRIDGE_INACTIVE;
  }
  if (!BridgeActive(trace)) return NLE_TRACE_BRIDGE_INACTIVE;
  return zt24_deregister(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, 0, kControlWord,
                         &trace->external_state);
}
