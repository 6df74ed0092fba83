// Where a process's global context records live: one static record in an ordinary process, one
// record per thread in a server process.
#include <cstdint>
#include <cstring>

#include "kelnl/nlstd.h"
#include "platform/core/allocator.h"
#include "platform/core/core.h"
#include "platform/os/os.h"

// The record's layout is shared with the product's other components; on 32-bit targets it must
// be word for word the published layout.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(NlMutex) == 24);
static_assert(offsetof(NlGlobalContext, timer_facility) == 20);
static_assert(offsetof(NlGlobalContext, primary_errors) == 36);
static_assert(offsetof(NlGlobalContext, log_stream) == 40);
static_assert(offsetof(NlGlobalContext, trace) == 44);
static_assert(offsetof(NlGlobalContext, message_facility) == 48);
static_assert(offsetof(NlGlobalContext, error_stack) == 52);
static_assert(offsetof(NlGlobalContext, parameters) == 56);
static_assert(offsetof(NlGlobalContext, data_representation) == 68);
static_assert(offsetof(NlGlobalContext, date_facility) == 80);
static_assert(offsetof(NlGlobalContext, random_state) == 108);
static_assert(offsetof(NlGlobalContext, thread_context) == 112);
static_assert(offsetof(NlGlobalContext, context_mutex) == 116);
static_assert(offsetof(NlGlobalContext, mutex_4) == 192);
static_assert(offsetof(NlGlobalContext, timer) == 268);
static_assert(offsetof(NlGlobalContext, directory_parameters) == 348);
static_assert(offsetof(NlGlobalContext, startup_mutex) == 352);
static_assert(offsetof(NlGlobalContext, trace_mutex) == 376);
static_assert(sizeof(NlGlobalContext) == 400);
#endif

namespace {

// The ordinary process's record: zero when the library is loaded.
NlGlobalContext g_process_context;

NlGlobalContext* ThreadRecord() {
  auto* record = static_cast<NlGlobalContext*>(kelnl::os::GetThreadSlot());
  if (record == nullptr && kelnl::os::ThreadSlotFilledOnFirstUse()) {
    record = static_cast<NlGlobalContext*>(kelnl::os::CreateThreadValue());
    if (record != nullptr && !kelnl::os::SetThreadSlot(record)) {
      kelnl::os::ReleaseThreadValue(record);
      record = nullptr;
    }
  }
  return record;
}

}  // namespace

namespace kelnl::os {

// A thread of a server process gets a zeroed record of its own; other threads get none.
void* CreateThreadValue() {
  if (sscoreserverflag == 0) return nullptr;
  return kelnl::AllocateZeroed(1, sizeof(NlGlobalContext));
}

// The record goes when its thread ends. A component that still held it has broken the rule that
// every hold is released on the thread that took it.
void ReleaseThreadValue(void* value) { kelnl::Release(value); }

}  // namespace kelnl::os

extern "C" {

void snlstdini(NlGlobalContext** context_slot) {
  if (context_slot == nullptr) return;
  *context_slot = sscoreserverflag != 0 ? ThreadRecord() : &g_process_context;
}

void snlstdtrm(NlGlobalContext** context_slot) {
  if (context_slot == nullptr || *context_slot == nullptr) return;
  std::memset(*context_slot, 0, sizeof(NlGlobalContext));
  *context_slot = nullptr;
}

}  // extern "C"
