// The error stack's life, recording, and the internal-error entry.
#include "errors/error_stack_internal.h"
#include "kelnl/nlerrors.h"
#include "platform/core/allocator.h"

// Other components of the product read the stack directly; on 32-bit targets its layout is
// word for word the published one.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(NlErrorEntry) == 36);
static_assert(offsetof(NlErrorStack, recovery_chain) == 8);
static_assert(offsetof(NlErrorStack, depth) == 16);
static_assert(offsetof(NlErrorStack, entries) == 24);
static_assert(offsetof(NlErrorStack, arg_text) == 312);
static_assert(offsetof(NlRecoveryFrame, jump) == 4);
#endif
static_assert(offsetof(NlRecoveryFrame, link) == 0, "other components link frames by their first word");

namespace kelnl::errors {

void PushInternalError(NlErrorStack* stack, std::uint32_t facility, std::uint32_t error,
                       std::int32_t kind, std::int32_t count, va_list* list) {
  if (stack->depth < 0 || stack->depth >= NL_ERROR_STACK_ENTRIES) return;
  // Two pushes store the two runs of argument text back to back; the second entry then takes
  // over the first one's text, so its arguments read error, facility, caller's arguments.
  ArgumentWriter numbers(stack);
  numbers.Number(error);
  numbers.Number(facility);
  PushEntry(stack, kLibraryFacility, NLE_INTERNAL_ERROR, kind, nullptr, &numbers);
  --stack->depth;
  const NlErrorEntry first = stack->entries[stack->depth];

  PushEntryFromList(stack, kLibraryFacility, NLE_INTERNAL_ERROR, kind, count, list);
  NlErrorEntry& merged = stack->entries[stack->depth - 1];
  merged.arg_offset = first.arg_offset;
  merged.arg_count += first.arg_count;
  merged.arg_length += first.arg_length;
}

}  // namespace kelnl::errors

using namespace kelnl::errors;

extern "C" {

int32_t nlerinit(NlPrimaryErrorRecord* primary, NlErrorStack** stack_slot,
                 NlMessageFacility* message_facility, NlDiagStream* print_stream) {
  if (stack_slot == nullptr) {
    return nlepepe(primary, kLibraryFacility, NLE_NO_ERROR_STACK, NL_ERROR_KIND_RECORDED);
  }
  *stack_slot = nullptr;
  auto* stack = static_cast<NlErrorStack*>(kelnl::AllocateZeroed(1, sizeof(NlErrorStack)));
  if (stack == nullptr) {
    return nlepepe(primary, kLibraryFacility, NLE_ERROR_STACK_NO_MEMORY, NL_ERROR_KIND_RECORDED);
  }
  stack->message_facility = message_facility;
  stack->print_stream = print_stream;
  *stack_slot = stack;
  return 0;
}

int32_t nlerdestroy(NlPrimaryErrorRecord* primary, NlErrorStack** stack_slot) {
  if (stack_slot == nullptr || *stack_slot == nullptr) {
    return nlepepe(primary, kLibraryFacility, NLE_NO_ERROR_STACK, NL_ERROR_KIND_RECORDED);
  }
  kelnl::Release(*stack_slot);
  *stack_slot = nullptr;
  return 0;
}

void nlerrec(NlErrorStack* stack, int32_t facility, int32_t error, int32_t arg_count, ...) {
  if (stack == nullptr) return;
  va_list list;
  va_start(list, arg_count);
  PushEntryFromList(stack, static_cast<std::uint32_t>(facility), static_cast<std::uint32_t>(error),
                    NL_ERROR_KIND_RECORDED, arg_count, &list);
  va_end(list);
}

void nlerrsc(NlErrorStack* stack, int32_t facility, const NlOsErrorRecord* os_error) {
  if (stack == nullptr) return;
  PushEntry(stack, static_cast<std::uint32_t>(facility), 0, NL_ERROR_KIND_RECORDED, os_error, nullptr);
}

int32_t nlercrs(NlErrorStack* stack, int32_t facility, const NlOsErrorRecord* os_error) {
  if (stack == nullptr || os_error == nullptr || os_error->operation == 0) return 0;
  PushEntry(stack, static_cast<std::uint32_t>(facility), 0, NL_ERROR_KIND_RECORDED, os_error, nullptr);
  PushEntry(stack, static_cast<std::uint32_t>(facility), os_error->operation, NL_ERROR_KIND_RECORDED,
            nullptr, nullptr);
  return 1;
}

void nlerric(NlErrorStack* stack, int32_t facility, int32_t error, int32_t arg_count, ...) {
  if (stack == nullptr) return;
  va_list list;
  va_start(list, arg_count);
  PushInternalError(stack, static_cast<std::uint32_t>(facility), static_cast<std::uint32_t>(error),
                    NL_ERROR_KIND_INTERNAL, arg_count, &list);
  va_end(list);
}

}  // extern "C"
