// The configuration of a trace context shared by its creators: the parameters that set it up,
// the global context it reports through, and what it owns.
#ifndef KELNL_DIAGNOSTICS_TRACE_CONFIG_H
#define KELNL_DIAGNOSTICS_TRACE_CONFIG_H

#include <cstdint>

#include "kelnl/nldt.h"

namespace kelnl::diagnostics {

// The caller's names of the parameters that configure a trace; a name is used only when it and
// its length are both non-zero.
struct TraceParameterNames {
  const char* level;
  std::uint32_t level_length;
  const char* events;
  std::uint32_t events_length;
  const char* filters;
  std::uint32_t filters_length;
};

// Further steps that a caller continues Apply with, run on the copy after the previous stream
// was closed and before the copy is stored. trace is the context the copy will replace (streams
// record it as their owner); new_stream tells whether the trace moved to a new stream. A non-zero
// result discards the copy and is Apply's result.
struct ApplyContinuation {
  std::int32_t (*run)(NlPrimaryErrorRecord* errors, NlTraceContext* copy, NlTraceContext* trace, bool new_stream,
                      const void* data);
  const void* data;
};

// Applies the named parameters and, when new_stream is non-null, moves the trace to it (the
// previous stream is closed). Every change is made on a copy that replaces *trace only when
// everything succeeded, so a failed level change leaves *trace exactly as it was. Returns 0 or
// the level change's (or the continuation's) failure.
std::int32_t ApplyTraceParameters(NlPrimaryErrorRecord* errors, NlTraceContext* trace,
                                  struct NlParameterTable* parameters, NlDiagStream* new_stream,
                                  const TraceParameterNames& names, const ApplyContinuation* continuation = nullptr);

// What nldtin2 does, with Apply continued by continuation when it is non-null: a new context in
// *trace_slot for stream, or null and the failure (500, 501, 502 or Apply's).
std::int32_t CreateTraceContext(NlPrimaryErrorRecord* errors, NlTraceContext** trace_slot,
                                struct NlParameterTable* parameters, NlDiagStream* stream,
                                const TraceParameterNames& names, const ApplyContinuation* continuation);

// Records the process's global context in trace->context and registers the trace message file
// with its message facility. False when the process has no global context.
bool AttachGlobalContext(NlTraceContext* trace);

void ReleaseFilterList(NlTraceFilter* head);

// The external trace library keeps the second 32-bit word of the registration's block at 1
// while its trace is on.
inline bool ExternalTraceOn(const NlTraceContext* trace) {
  return trace->external_handle != nullptr && static_cast<const std::uint32_t*>(trace->external_handle)[1] == 1;
}

// Whether the trace writes anything at all: its own trace is on or the external one is.
inline bool TraceIsOn(const NlTraceContext* trace) {
  return trace != nullptr && ((trace->flags & NLDT_FLAG_ON) != 0 || ExternalTraceOn(trace));
}

}  // namespace kelnl::diagnostics

#endif
