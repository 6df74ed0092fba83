// What the startup opening does once the trace is in place: start the external trace and write
// the banner and the first records.
#ifndef KELNL_DIAGNOSTICS_TRACE_OPEN_FIRST_H
#define KELNL_DIAGNOSTICS_TRACE_OPEN_FIRST_H

#include <cstdint>

#include "kelnl/nlstd.h"

namespace kelnl::diagnostics {

// Starts the external trace of context->trace under the block's startup name, for the trace file
// trace_name (terminated), configured from brisol.fdf in the product's network administration
// directory. Not started, result 0, when that path cannot be built; otherwise nldtotinit's result.
std::int32_t StartExternalTrace(NlGlobalContext* context, const NlStartupParameters& parameters,
                                const char* trace_name);

// With a trace level above 0: the banner (with NLSTD_WRITE_BANNER) and, when the trace is on, the
// records that the trace started, on which file and at which level. Failures are the trace's own
// and are not reported.
void WriteFirstRecords(NlGlobalContext* context, const NlStartupParameters& parameters);

}  // namespace kelnl::diagnostics

#endif
