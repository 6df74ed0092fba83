// Signalling: push, then transfer control to a recovery frame with longjmp.
//
// Everything here runs between a caller's link of a frame and the longjmp that leaves it, so it
// stays C-like: no object with a destructor is alive when control leaves, and every variable
// argument list is ended before the jump.
#include <cstdarg>
#include <csetjmp>

#include "errors/error_stack_internal.h"
#include "kelnl/nlerrors.h"

using namespace kelnl::errors;

namespace {

// An error number 0 must not look like the first return of the recovery point.
constexpr int kDeliveredForZero = 1;

}  // namespace

extern "C" {

void nlerpop(NlErrorStack* stack, int32_t, int32_t error) {
  if (stack == nullptr) return;
  NlRecoveryFrame* frame = stack->recovery_chain;
  if (frame == nullptr) {
    nlerpestk(stack, nullptr);
    return;
  }
  stack->recovery_chain = frame->link;
  std::longjmp(frame->jump, error == 0 ? kDeliveredForZero : error);
}

void nlersec(NlErrorStack* stack, int32_t facility, int32_t error, int32_t arg_count, ...) {
  if (stack == nullptr) return;
  va_list list;
  va_start(list, arg_count);
  PushEntryFromList(stack, static_cast<std::uint32_t>(facility), static_cast<std::uint32_t>(error),
                    NL_ERROR_KIND_SIGNALLED, arg_count, &list);
  va_end(list);
  nlerpop(stack, facility, error);
}

void nlercss(NlErrorStack* stack, int32_t facility, const NlOsErrorRecord* os_error) {
  if (stack == nullptr || os_error == nullptr || os_error->operation == 0) return;
  const auto code = static_cast<int32_t>(os_error->operation);
  PushEntry(stack, static_cast<std::uint32_t>(facility), 0, NL_ERROR_KIND_SIGNALLED, os_error, nullptr);
  nlersec(stack, facility, code, 0);
}

void nlersic(NlErrorStack* stack, int32_t facility, int32_t error, int32_t arg_count, ...) {
  if (stack == nullptr) return;
  va_list list;
  va_start(list, arg_count);
  PushInternalError(stack, static_cast<std::uint32_t>(facility), static_cast<std::uint32_t>(error),
                    NL_ERROR_KIND_INTERNAL, arg_count, &list);
  va_end(list);
  nlerpop(stack, facility, NLE_INTERNAL_ERROR);
}

void nlerrse(NlErrorStack* stack) {
  if (stack == nullptr) return;
  const NlErrorEntry* top = EntryFromTop(stack, 1);
  if (top == nullptr) {
    nlersic(stack, static_cast<int32_t>(kLibraryFacility), NLE_RESIGNAL_EMPTY_STACK, 0);
    return;
  }
  nlerpop(stack, static_cast<int32_t>(top->facility), static_cast<int32_t>(top->error));
}

void nlerfec(NlErrorStack* stack, int32_t facility, int32_t error) {
  if (stack == nullptr) return;
  if (error != 0) {
    PushEntry(stack, static_cast<std::uint32_t>(facility), static_cast<std::uint32_t>(error),
              NL_ERROR_KIND_RECORDED, nullptr, nullptr);
  }
  PushEntry(stack, kLibraryFacility, NLE_FATAL_ERROR, NL_ERROR_KIND_FATAL, nullptr, nullptr);
  // A fatal error may not be handled by an inner layer: only the outermost frame stays.
  NlRecoveryFrame* outermost = stack->recovery_chain;
  while (outermost != nullptr && outermost->link != nullptr) outermost = outermost->link;
  stack->recovery_chain = outermost;
  nlerpop(stack, static_cast<int32_t>(kLibraryFacility), NLE_FATAL_ERROR);
}

void nlerfic(NlErrorStack* stack, int32_t facility, int32_t error) {
  if (stack == nullptr) return;
  if (error != 0) {
    PushInternalError(stack, static_cast<std::uint32_t>(facility), static_cast<std::uint32_t>(error),
                      NL_ERROR_KIND_INTERNAL, 0, nullptr);
  }
  nlerfec(stack, static_cast<int32_t>(kLibraryFacility), 0);
}

void nlerasi(NlErrorStack* stack, int32_t facility, int32_t error, int32_t kind, int32_t arg_count, ...) {
  if (stack == nullptr) return;
  if (kind == NL_ERROR_KIND_RECORDED || kind == NL_ERROR_KIND_SIGNALLED) {
    va_list list;
    va_start(list, arg_count);
    const std::int32_t entry_kind =
        kind == NL_ERROR_KIND_RECORDED ? NL_ERROR_KIND_INTERNAL : NL_ERROR_KIND_INTERNAL_SIGNALLED;
    PushInternalError(stack, static_cast<std::uint32_t>(facility), static_cast<std::uint32_t>(error),
                      entry_kind, arg_count, &list);
    va_end(list);
    if (kind == NL_ERROR_KIND_SIGNALLED) nlerpop(stack, facility, NLE_INTERNAL_ERROR);
    return;
  }
  if (kind == NL_ERROR_KIND_FATAL) nlerfic(stack, facility, error);
  nlerfic(stack, facility, NLE_INTERNAL_BAD_KIND);
}

}  // extern "C"
