// Holds on a global context and the teardown of its last hold.
#ifndef KELNL_CONTEXT_CONTEXT_HOLD_H
#define KELNL_CONTEXT_CONTEXT_HOLD_H

#include <cstdint>

#include "kelnl/nlstd.h"

namespace kelnl {

// The startup worker: obtains the record when the slot is empty (leaving it null when there is
// none), and adds a hold. The first hold on an empty record with thread_safe exactly 1 makes the
// context thread-safe and creates its mutexes.
void TakeContextHold(NlGlobalContext** context_slot, std::int32_t thread_safe);

// Releases the facilities of a context whose last hold went, in their fixed order, holding
// startup_mutex. Each field is nulled after its release.
void TearDownFacilities(NlGlobalContext* context);

// Calls the networking library's registered teardown (nlstdregtrm) with the context, if any.
void RunNetworkTeardown(NlGlobalContext* context);

}  // namespace kelnl

#endif
