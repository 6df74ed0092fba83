// nlmadini, nlmadget and nlmadtrm: handle ownership, seeding and tracing.
#include "address/multi_address.h"
#include "diagnostics/operation_trace.h"
#include "kelnl/nlrn.h"
#include "kelnl/nltrmsg.h"
#include "platform/core/allocator.h"

using kelnl::diagnostics::OperationTrace;

namespace {

// A refused descriptor is an error a user must see at the error level.
constexpr std::uint32_t kErrorLevel = 2;

void ReleaseHandle(NlMultiAddressIterator* handle) {
  kelnl::address::ClearEntry(handle);
  nlnvdeb(handle->list);
  kelnl::Release(handle->more_used);
  kelnl::Release(handle);
}

std::int32_t Start(NlGlobalContext* context, NlMultiAddressIterator** handle_slot, const char* text,
                   std::uint32_t text_length, std::uint32_t options) {
  if (handle_slot == nullptr) return NLMAD_INIT_REFUSED;
  nlmadtrm(handle_slot);
  if (context == nullptr || text == nullptr) return NLMAD_INIT_REFUSED;
  if (nlrnini(context) != 0) return NLMAD_INIT_NO_MEMORY;
  auto* handle = static_cast<NlMultiAddressIterator*>(kelnl::AllocateZeroed(1, sizeof(NlMultiAddressIterator)));
  if (handle == nullptr) return NLMAD_INIT_NO_MEMORY;
  handle->options = options;
  handle->context = context;
  handle->descriptor_text = text;
  handle->descriptor_length = text_length;
  const std::int32_t result = kelnl::address::NormaliseDescriptor(handle, text, text_length);
  if (result != NLMAD_INIT_OK) {
    ReleaseHandle(handle);
    return result;
  }
  *handle_slot = handle;
  return NLMAD_INIT_OK;
}

}  // namespace

extern "C" int32_t nlmadini(NlGlobalContext* context, NlMultiAddressIterator** handle_slot, const char* text,
                            uint32_t text_length, uint32_t options) {
  OperationTrace trace(context, NLTR_COMPONENT_MULTI_ADDRESS_INIT);
  trace.Entry(__LINE__);
  const std::int32_t result = Start(context, handle_slot, text, text_length, options);
  if (result == NLMAD_INIT_REFUSED) trace.Message(__LINE__, kErrorLevel, NLTR_DESCRIPTOR_REFUSED);
  return trace.Exit(__LINE__, result);
}

extern "C" int32_t nlmadget(NlMultiAddressIterator* handle) {
  OperationTrace trace(handle != nullptr ? handle->context : nullptr, NLTR_COMPONENT_MULTI_ADDRESS_GET);
  trace.Entry(__LINE__);
  if (handle == nullptr) return trace.Exit(__LINE__, NLMAD_GET_NONE_LEFT);
  return trace.Exit(__LINE__, kelnl::address::NextEntry(handle));
}

extern "C" void nlmadtrm(NlMultiAddressIterator** handle_slot) {
  if (handle_slot == nullptr || *handle_slot == nullptr) return;
  OperationTrace trace((*handle_slot)->context, NLTR_COMPONENT_MULTI_ADDRESS_END);
  trace.Entry(__LINE__);
  ReleaseHandle(*handle_slot);
  *handle_slot = nullptr;
  trace.Exit(__LINE__);
}
