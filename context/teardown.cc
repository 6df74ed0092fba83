// The teardown worker: what the last release of a context takes down, and in which order.
#include "context/context_hold.h"
#include "context/context_lock.h"
#include "diagnostics/trace_close.h"
#include "kelnl/nlda.h"
#include "kelnl/nlds.h"
#include "kelnl/nldt.h"
#include "kelnl/nlem.h"
#include "kelnl/nler.h"
#include "kelnl/nlpa.h"
#include "kelnl/nlrn.h"
#include "kelnl/nltm.h"
#include "platform/core/allocator.h"
#include "platform/core/core.h"

namespace kelnl {
namespace {

// Both timers end here: the core services' timer another component may have hung on the context,
// and the library's own timer service with its thread, whose callbacks may still report on the
// error stack that goes next.
void EndTimers(NlGlobalContext* context) {
  if (context->timer != nullptr) {
    (void)ltmdei(nullptr, context->timer);
    Release(context->timer);
    context->timer = nullptr;
  }
  (void)nltmdei(context);
}

void ReleaseErrorStack(NlGlobalContext* context) {
  if (context->error_stack != nullptr) (void)nlerdestroy(context->primary_errors, &context->error_stack);
}

void ReleaseLogStream(NlGlobalContext* context) {
  if (context->log_stream != nullptr) (void)nldsdestroy(nullptr, &context->log_stream);
  context->log_stream = nullptr;
}

void ReleaseMessageFacility(NlGlobalContext* context) {
  if (context->message_facility != nullptr) (void)nlemdestroy(nullptr, &context->message_facility);
}

void ReleaseParameters(NlGlobalContext* context) { nlpatrm(nullptr, &context->parameters); }

void ReleasePrimaryErrors(NlGlobalContext* context) {
  Release(context->primary_errors);
  context->primary_errors = nullptr;
}

// Each facility releases its own record and nulls its field. The order matters: the trace goes
// first so that nothing traces into a half-taken-down context, and the error stack, the log and
// the message facility stay while earlier steps may still report.
using TeardownStep = void (*)(NlGlobalContext*);
constexpr TeardownStep kTeardownSteps[] = {
    diagnostics::CloseProcessTrace, RunNetworkTeardown, nldatrm,           nlrntrm,          nliftgbl, EndTimers,
    ReleaseErrorStack, ReleaseLogStream,  ReleaseMessageFacility, ReleaseParameters, ReleasePrimaryErrors,
};

}  // namespace

void TearDownFacilities(NlGlobalContext* context) {
  LockContextMutex(context, &context->startup_mutex);
  for (TeardownStep step : kTeardownSteps) step(context);
  UnlockContextMutex(context, &context->startup_mutex);
}

}  // namespace kelnl
