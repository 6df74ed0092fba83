// The date facility of a global context: a block of the core services' date functions, whose
// errors come back as signals of facility 22 on the context's error stack.
//
// nldaini and nldatxt link a recovery frame around the date calls, so between the link and the
// unlink they stay C-like: nothing with a destructor, nothing changed that is read after a
// signal.
#include "kelnl/nlda.h"
#include "kelnl/nlem.h"
#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "platform/core/allocator.h"
#include "platform/core/dates.h"

namespace {

constexpr std::int32_t kLibraryFacility = 1;
constexpr std::int32_t kDateFacility = 22;
constexpr std::int32_t kMissingContext = 1;
constexpr char kDatePicture[] = "DD-MON-YYYY HH24:MI:SS";

// Called by the date functions; the block was begun with its context as the callback context.
void SignalDateError(LdxDateBlock* block, std::int32_t error) {
  auto* context = static_cast<NlGlobalContext*>(block->callback_context);
  nlersec(context->error_stack, kDateFacility, error, 0);
}

void ReleaseDateFacility(NlGlobalContext* context) {
  kelnl::Release(context->date_facility);
  context->date_facility = nullptr;
}

}  // namespace

extern "C" {

int32_t nldaini(NlGlobalContext* context) {
  if (context == nullptr || context->error_stack == nullptr) return kMissingContext;
  NlErrorStack* const stack = context->error_stack;
  auto* const block = static_cast<LdxDateBlock*>(kelnl::AllocateZeroed(1, sizeof(LdxDateBlock)));
  if (block == nullptr) {
    nlerrec(stack, kLibraryFacility, NLE_DATE_NO_MEMORY, 0);
    return NLE_DATE_NO_MEMORY;
  }
  context->date_facility = block;
  NlMessageFacility* const messages = context->message_facility;
  std::int32_t scratch = 0;

  NlRecoveryFrame frame;
  const int error = NL_RECOVERY_POINT(&frame);
  if (error != 0) {
    // A block that did not start is not kept: the next use starts afresh.
    ReleaseDateFacility(context);
    return error;
  }
  NL_RECOVERY_LINK(stack, &frame);
  ldxnbeg(block, messages != nullptr ? messages->language_handle : nullptr, SignalDateError, context,
          &scratch, messages != nullptr ? &messages->language_context : nullptr);
  NL_RECOVERY_UNLINK(stack, &frame);
  return 0;
}

void nldatrm(NlGlobalContext* context) {
  if (context != nullptr) ReleaseDateFacility(context);
}

int32_t nldatxt(NlGlobalContext* context, char* buffer, size_t size, size_t* text_length) {
  if (context == nullptr || context->error_stack == nullptr) return kMissingContext;
  if (context->date_facility == nullptr) {
    if (const std::int32_t started = nldaini(context)) return started;
  }
  NlErrorStack* const stack = context->error_stack;
  auto* const block = static_cast<LdxDateBlock*>(context->date_facility);
  LdxDate date{};
  LdxPicture picture{};

  NlRecoveryFrame frame;
  const int error = NL_RECOVERY_POINT(&frame);
  if (error != 0) return error;
  NL_RECOVERY_LINK(stack, &frame);
  sldxgd(block, &date);
  ldxsto(block, kDatePicture, sizeof kDatePicture - 1, &picture);
  const std::size_t length = ldxdts(block, buffer, size, &date, &picture);
  NL_RECOVERY_UNLINK(stack, &frame);
  if (text_length != nullptr) *text_length = length;
  return 0;
}

}  // extern "C"
