// nladini, nladini_t, nladget and nladtrm: argument checks, ownership and tracing around the
// node tree.
#include "address/address_node.h"
#include "diagnostics/operation_trace.h"
#include "kelnl/nltrmsg.h"
#include "platform/core/allocator.h"

using kelnl::address::ExpandTree;
using kelnl::address::kOk;
using kelnl::address::kOther;
using kelnl::address::NextAddress;
using kelnl::diagnostics::OperationTrace;
using kelnl::address::ReleaseTree;

namespace {

std::int32_t Expand(NlGlobalContext* context, NlAddressIterator** handle_slot, NlnvBinding* descriptor,
                    std::uint16_t options) {
  if (context == nullptr || handle_slot == nullptr || descriptor == nullptr) return NLAD_INIT_BAD_ARGUMENT;
  if (*handle_slot != nullptr) return NLAD_INIT_SLOT_FULL;
  auto* handle = static_cast<NlAddressIterator*>(kelnl::AllocateZeroed(1, sizeof(NlAddressIterator)));
  if (handle == nullptr) return NLAD_INIT_NO_MEMORY;
  handle->context = context;
  handle->descriptor = descriptor;
  handle->options = options;
  std::int32_t result = ExpandTree(descriptor, options, &handle->root);
  if (result == kOk && handle->root->kind == kOther) result = NLAD_INIT_NO_ADDRESS;
  if (result != kOk) {
    ReleaseTree(handle->root);
    kelnl::Release(handle);
    return result;
  }
  *handle_slot = handle;
  return kOk;
}

}  // namespace

extern "C" int32_t nladini(NlGlobalContext* context, NlAddressIterator** handle_slot, NlnvBinding* descriptor,
                           uint16_t options) {
  OperationTrace trace(context, NLTR_COMPONENT_ADDRESS_INIT);
  trace.Entry(__LINE__);
  return trace.Exit(__LINE__, Expand(context, handle_slot, descriptor, options));
}

extern "C" int32_t nladini_t(NlGlobalContext* context, NlAddressIterator** handle_slot, const char* text,
                             size_t text_length, uint16_t options) {
  NlnvBinding* descriptor = nullptr;
  if (nlnvcrb(text, text_length, &descriptor, nullptr) != 0) return NLAD_INIT_BAD_ARGUMENT;
  const std::int32_t result = nladini(context, handle_slot, descriptor, options);
  if (result != kOk) {
    nlnvdeb(descriptor);
    return result;
  }
  (*handle_slot)->owns_descriptor = 1;
  return kOk;
}

extern "C" int32_t nladget(NlAddressIterator* handle, NlnvBinding** connect_out, NlnvBinding** forward_out) {
  if (connect_out != nullptr) *connect_out = nullptr;
  OperationTrace trace(handle != nullptr ? handle->context : nullptr, NLTR_COMPONENT_ADDRESS_GET);
  trace.Entry(__LINE__);
  if (handle == nullptr || connect_out == nullptr || forward_out == nullptr) {
    return trace.Exit(__LINE__, NLAD_GET_NO_HANDLE);
  }
  // The caller's forward slot is never read: what a failed call leaves there stays untouched.
  NlnvBinding* forward = nullptr;
  const std::int32_t result = NextAddress(handle, handle->root, connect_out, &forward);
  if (result == kOk) {
    *forward_out = forward;
  } else {
    *connect_out = nullptr;
  }
  return trace.Exit(__LINE__, result);
}

extern "C" void nladtrm(NlAddressIterator** handle_slot) {
  if (handle_slot == nullptr || *handle_slot == nullptr) return;
  NlAddressIterator* handle = *handle_slot;
  OperationTrace trace(handle->context, NLTR_COMPONENT_ADDRESS_END);
  trace.Entry(__LINE__);
  ReleaseTree(handle->root);
  if (handle->owns_descriptor != 0) nlnvdeb(handle->descriptor);
  kelnl::Release(handle);
  *handle_slot = nullptr;
  trace.Exit(__LINE__);
}
