#include "context/context_hold.h"

#include "context/context_lock.h"
#include "kelnl/nlpa.h"
#include "platform/core/core.h"
#include "platform/os/os.h"

namespace kelnl {
namespace {

SltsInitLock g_initialisation_lock;

}  // namespace

void TakeContextHold(NlGlobalContext** context_slot, std::int32_t thread_safe) {
  if (context_slot == nullptr) return;
  if (*context_slot == nullptr) snlstdini(context_slot);
  NlGlobalContext* context = *context_slot;
  if (context == nullptr) return;

  sltsima(&g_initialisation_lock);
  sltspin();
  sltsimr(&g_initialisation_lock);

  // The handle names process-wide services and needs no release when it is not kept.
  void* handle = sltsini();
  if (context->reference_count <= 0 && thread_safe == 1) {
    context->thread_context = handle;
    CreateContextMutexes(context);
  }
  context->reference_count += 1;
}

}  // namespace kelnl

extern "C" {

void nlstdini(NlGlobalContext** context_slot) { kelnl::TakeContextHold(context_slot, 0); }

void nlstdtrm(NlGlobalContext** context_slot) {
  if (context_slot == nullptr) return;
  NlGlobalContext* context = *context_slot;
  // Components pass the record around; one that was already released or never valid is refused.
  if (context == nullptr || !kelnl::os::IsReadable(context, sizeof(NlGlobalContext))) return;

  context->reference_count -= 1;
  void* thread_context = context->thread_context;
  if (context->reference_count > 0) return;

  // The directory-access parameters take the context mutex of their own, outside the worker.
  (void)nlpagetldparam(context, nullptr, 0, 0, nullptr, nullptr, 2);
  kelnl::TearDownFacilities(context);
  if (thread_context != nullptr) kelnl::DestroyContextMutexes(context);
  snlstdtrm(context_slot);
  if (thread_context != nullptr && *context_slot == nullptr) sltster(thread_context);
}

}  // extern "C"
