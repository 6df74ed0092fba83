// The teardown worker: what the last release of a context takes down, and in which order.
#include "context/context_hold.h"
#include "context/context_lock.h"
#include "kelnl/nlda.h"
#include "kelnl/nler.h"
#include "platform/core/allocator.h"

namespace kelnl {
namespace {

void ReleaseErrorStack(NlGlobalContext* context) {
  if (context->error_stack != nullptr) nlerdestroy(context->primary_errors, &context->error_stack);
}

void ReleasePrimaryErrors(NlGlobalContext* context) {
  Release(context->primary_errors);
  context->primary_errors = nullptr;
}

// Each facility releases its own record and nulls its field. The order matters: later steps
// (the error stack, the message facility) are still used while earlier ones report their
// teardown. Facilities that the library does not build yet have no step.
using TeardownStep = void (*)(NlGlobalContext*);
constexpr TeardownStep kTeardownSteps[] = {
    // trace, network layer
    nldatrm,
    // random numbers
    nliftgbl,
    // timer
    ReleaseErrorStack,
    // log stream, message facility, parameter table
    ReleasePrimaryErrors,
};

}  // namespace

void TearDownFacilities(NlGlobalContext* context) {
  LockContextMutex(context, &context->startup_mutex);
  for (TeardownStep step : kTeardownSteps) step(context);
  UnlockContextMutex(context, &context->startup_mutex);
}

}  // namespace kelnl
