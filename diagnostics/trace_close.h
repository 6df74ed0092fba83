// Closing the process's trace when its context is torn down.
#ifndef KELNL_DIAGNOSTICS_TRACE_CLOSE_H
#define KELNL_DIAGNOSTICS_TRACE_CLOSE_H

#include "kelnl/nlstd.h"

namespace kelnl::diagnostics {

// Ends the external trace of a trace that went external, destroys every stream of the trace's
// ring with the descriptors the opening gave them, then the trace itself, and nulls
// context->trace. Nothing without a trace. Not locked: teardown holds startup_mutex.
void CloseProcessTrace(NlGlobalContext* context);

}  // namespace kelnl::diagnostics

#endif
