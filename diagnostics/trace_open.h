// Opening the process's trace at startup and when a running component reopens it.
#ifndef KELNL_DIAGNOSTICS_TRACE_OPEN_H
#define KELNL_DIAGNOSTICS_TRACE_OPEN_H

#include <cstdint>

#include "context/startup_results.h"
#include "kelnl/nlstd.h"

// Resolves the trace file from the startup block and the context's parameter table, creates or
// re-applies the context's trace, builds the ring of cyclic files, starts the external trace
// bridge and writes the first records. Nothing happens without NLSTD_OPEN_TRACE. Reports into
// results->trace_errors; result 0 or the failing code (forgiven with NLSTD_TRACE_ERRORS_FORGIVEN).
// The trace's display name goes to parameters->trace_name and trace_name_length.
std::int32_t nldtopen(NlGlobalContext* global_context, NlStartupParameters* parameters, NlStartupResults* results);

#endif
