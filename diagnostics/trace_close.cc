#include "diagnostics/trace_close.h"

#include "diagnostics/trace_bridge.h"
#include "diagnostics/trace_open_ring.h"
#include "kelnl/nldt.h"

namespace kelnl::diagnostics {

void CloseProcessTrace(NlGlobalContext* context) {
  NlTraceContext* trace = context->trace;
  if (trace == nullptr) return;
  TerminateExternalTrace(trace);
  DestroyTraceStreams(&trace->stream);
  (void)nldtdestroy(nullptr, &context->trace);
}

}  // namespace kelnl::diagnostics
