#include "diagnostics/trace_open.h"

#include <cstring>

#include "diagnostics/output_names.h"
#include "diagnostics/stream_report.h"
#include "diagnostics/trace_open_first.h"
#include "diagnostics/trace_open_ring.h"
#include "diagnostics/trace_open_steps.h"
#include "kelnl/nldt.h"

namespace {

using namespace kelnl::diagnostics;

// Flags the opening keeps when the external trace refuses to start: 0x400 goes so that the
// failure is not forgiven, and so does every bit above 0x800.
constexpr std::uint32_t kFlagsKeptOnBridgeFailure = 0xBFF;

std::uint32_t NameLength(const char* name) { return name != nullptr ? static_cast<std::uint32_t>(std::strlen(name)) : 0; }

// The stream the trace file resolves to, named by an owned copy of its descriptor (none for the
// terminal); its display name goes to the results.
std::int32_t CreateTraceStream(NlGlobalContext* context, NlStartupParameters* parameters, NlStartupResults* results,
                               NlDiagStream** stream_slot) {
  NlPrimaryErrorRecord* errors = &results->trace_errors;
  NlFileNameDesc desc = parameters->trace_file;
  const OutputFileParameters names{parameters->trace_file_parameter, parameters->trace_directory_parameter,
                                   parameters->trace_unique_parameter};
  const bool terminal =
      ResolveOutputFile(context->parameters, parameters->flags, names, {"NETWORK", "trace", "brisol", "trc"}, &desc);
  const std::int32_t created =
      nldsinit(errors, stream_slot, context->parameters,
               static_cast<std::uint8_t>(terminal ? NLDS_KIND_STANDARD_OUTPUT : NLDS_KIND_FILE), 0,
               terminal ? nullptr : &desc);
  if (created != 0) return created;
  if (!terminal) {
    (*stream_slot)->name_desc = CopyFileNameDesc(desc);
    if ((*stream_slot)->name_desc == nullptr) {
      (void)nldsdestroy(nullptr, stream_slot);
      return Fail(errors, NLE_TRACE_NO_MEMORY);
    }
  }
  results->trace_name_length = StreamDisplayName(*stream_slot, results->trace_name);
  return 0;
}

bool SameDisplayName(NlDiagStream* stream, const NlStartupResults& results) {
  char current[NLSTD_NAME_CAPACITY];
  const std::uint32_t length = StreamDisplayName(stream, current);
  return length == results.trace_name_length && std::memcmp(current, results.trace_name, length) == 0;
}

// Apply with the startup steps, on the context's trace or on a new one.
std::int32_t ApplyToTrace(NlGlobalContext* context, const NlStartupParameters& parameters, NlStartupResults* results,
                          NlDiagStream* stream, NlTraceContext** created) {
  const TraceParameterNames names{parameters.trace_level_parameter,   NameLength(parameters.trace_level_parameter),
                                  parameters.trace_events_parameter,  NameLength(parameters.trace_events_parameter),
                                  parameters.trace_filters_parameter, NameLength(parameters.trace_filters_parameter)};
  const TraceStartupSteps steps{context->parameters, parameters.trace_file_length_parameter,
                                parameters.trace_file_count_parameter, parameters.trace_time_stamp_parameter,
                                parameters.trace_secondary_level_parameter};
  const ApplyContinuation continuation = StartupContinuation(&steps);
  NlPrimaryErrorRecord* errors = &results->trace_errors;
  if (context->trace != nullptr) {
    return ApplyTraceParameters(errors, context->trace, context->parameters, stream, names, &continuation);
  }
  return CreateTraceContext(errors, created, context->parameters, stream, names, &continuation);
}

// Everything but the outputs: the stream, the trace with its ring, the external trace and the
// first records.
std::int32_t OpenTrace(NlGlobalContext* context, NlStartupParameters* parameters, NlStartupResults* results) {
  NlDiagStream* current = nullptr;
  if (context->trace != nullptr) {
    const std::int32_t fetched = nldtshget(&results->trace_errors, context->trace, &current);
    if (fetched != 0) return fetched;
  }
  NlDiagStream* stream = nullptr;
  if (const std::int32_t created = CreateTraceStream(context, parameters, results, &stream)) return created;
  // Reopening the file the trace already writes keeps its stream, position and all.
  if (context->trace != nullptr && SameDisplayName(current, *results)) DestroyTraceStreams(&stream);
  if (stream != nullptr) CloseOtherRingFiles(current);

  NlTraceContext* created = nullptr;
  const std::int32_t applied = ApplyToTrace(context, *parameters, results, stream, &created);
  if (applied != 0) {
    DestroyTraceStreams(&stream);
    return applied;
  }
  if (created != nullptr) {
    context->trace = created;
  } else if (stream != nullptr) {
    // The previous stream, and the ring it belonged to, were closed by Apply and go now.
    DestroyTraceStreams(&current);
  }
  const std::int32_t bridge = StartExternalTrace(context, *parameters, results->trace_name);
  // The trace is in place even when the external trace refused to start: the first records go
  // to whichever trace takes them.
  WriteFirstRecords(context, *parameters);
  if (bridge == NLE_TRACE_REGISTER_REFUSED || bridge == NLE_TRACE_REGISTER_CONFIG) {
    parameters->flags &= kFlagsKeptOnBridgeFailure;
    return bridge;
  }
  // Any other refusal of the external trace leaves the internal trace working.
  return 0;
}

}  // namespace

std::int32_t nldtopen(NlGlobalContext* global_context, NlStartupParameters* parameters, NlStartupResults* results) {
  results->trace_name[0] = '\0';
  results->trace_name_length = 0;
  if (global_context == nullptr || (parameters->flags & NLSTD_OPEN_TRACE) == 0) return 0;

  std::int32_t result = OpenTrace(global_context, parameters, results);
  NlTraceContext* trace = global_context->trace;
  parameters->trace_name_length = StreamDisplayName(trace != nullptr ? trace->stream : nullptr, parameters->trace_name);
  if (result != 0 && (parameters->flags & NLSTD_TRACE_ERRORS_FORGIVEN) != 0) {
    result = 0;
    results->trace_errors.count = 0;
    results->trace_errors.overflow = 0;
    results->trace_errors.os_error.operation = 0;
  }
  results->trace_code = result;
  return result;
}
