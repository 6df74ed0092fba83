// The steps with which the startup opening continues Apply: the file length, the file count and
// the ring, time stamps, the secondary level, and the owner and cycle number of every file.
#ifndef KELNL_DIAGNOSTICS_TRACE_OPEN_STEPS_H
#define KELNL_DIAGNOSTICS_TRACE_OPEN_STEPS_H

#include "diagnostics/trace_config.h"

namespace kelnl::diagnostics {

// The caller's parameter names (terminated, or null) of the startup steps.
struct TraceStartupSteps {
  struct NlParameterTable* parameters;
  const char* file_length;
  const char* file_count;
  const char* time_stamp;
  const char* secondary_level;
};

// Apply continued with the startup steps; steps must outlive the Apply it is handed to. The
// steps run only when the trace is on after Apply. Without a new stream the current one is
// opened, and its open failure is the only failure returned: a ring that cannot be completed
// leaves the trace with its single first file.
ApplyContinuation StartupContinuation(const TraceStartupSteps* steps);

}  // namespace kelnl::diagnostics

#endif
