// Applying the trace parameters of a parameter table to a trace context, copy first.
#include <cstdint>
#include <cstring>

#include "diagnostics/trace_config.h"
#include "kelnl/nlpa.h"
#include "platform/core/allocator.h"

namespace kelnl::diagnostics {
namespace {

constexpr std::uint32_t kHighestEvent = 511;

bool Named(const char* name, std::uint32_t length) { return name != nullptr && length != 0; }

// Lookups that fail (absent parameter, malformed list) are not errors of the trace, so they
// report into no record.
std::uint32_t ElementCount(NlParameterTable* parameters, const char* name, std::uint32_t length) {
  std::uint32_t count = 0;
  (void)nlpagvc(nullptr, parameters, name, length, &count);
  return count;
}

void SetEvent(NlTraceContext* trace, std::uint32_t event) {
  trace->events[event / 8] = static_cast<std::uint8_t>(trace->events[event / 8] | (1u << (event % 8)));
}

void ApplyEvents(NlTraceContext* copy, NlParameterTable* parameters, const char* name, std::uint32_t length) {
  const std::uint32_t count = ElementCount(parameters, name, length);
  if (count == 0) {
    // No list of events: everything is enabled, and the trace is on only if it was, or if the
    // external trace says so.
    std::memset(copy->events, 0xFF, sizeof copy->events);
    if (ExternalTraceOn(copy)) copy->flags |= NLDT_FLAG_ON;
    return;
  }
  std::memset(copy->events, 0, sizeof copy->events);
  for (std::uint32_t i = 1; i <= count; ++i) {
    std::int32_t event = 0;
    if (nlpagip(nullptr, parameters, name, length, static_cast<std::int32_t>(i), &event) != 0) continue;
    if (event < 1 || static_cast<std::uint32_t>(event) > kHighestEvent) continue;
    SetEvent(copy, static_cast<std::uint32_t>(event));
    copy->flags |= NLDT_FLAG_ON;
  }
}

// Builds the new filter list on the copy. The old list stays with the original until the copy
// is stored, so that a failure later on leaves the original whole.
void ApplyFilters(NlTraceContext* copy, NlParameterTable* parameters, const char* name, std::uint32_t length) {
  copy->filters = nullptr;
  copy->flags &= static_cast<std::uint8_t>(~NLDT_FLAG_FILTERS);
  copy->record_buffer = nullptr;
  copy->record_capacity = 0;
  copy->record_position = 0;
  copy->record_length = 0;
  const std::uint32_t count = ElementCount(parameters, name, length);
  for (std::uint32_t i = 1; i <= count; ++i) {
    char* element = nullptr;
    std::uint32_t element_length = 0;
    if (nlpagsp(nullptr, parameters, name, length, static_cast<std::int32_t>(i), &element, &element_length) != 0) {
      continue;
    }
    // An insertion that runs out of memory drops that one name; the trace still works.
    if (nldtqins(copy, element, element_length) != 0) copy->flags |= NLDT_FLAG_ON | NLDT_FLAG_FILTERS;
  }
}

std::uint32_t LevelParameter(NlPrimaryErrorRecord* errors, NlParameterTable* parameters, const char* name,
                             std::uint32_t length) {
  char* text = nullptr;
  std::uint32_t text_length = 0;
  if (nlpagsp(nullptr, parameters, name, length, 1, &text, &text_length) != 0) return 0;
  return nldtstr2lv(errors, text, text_length);
}

// The previous stream is closed through a copy of the context as it was, so that only the
// stream changes state. A stream that is not open needs no close (and must not report 206).
void CloseLeftStream(NlTraceContext original, NlDiagStream* new_stream) {
  if (original.stream == nullptr || original.stream == new_stream) return;
  if ((original.stream->state & NLDS_STATE_OPEN) == 0) return;
  (void)nldtlvlalter(nullptr, &original, 0);
}

}  // namespace

std::int32_t ApplyTraceParameters(NlPrimaryErrorRecord* errors, NlTraceContext* trace, NlParameterTable* parameters,
                                  NlDiagStream* new_stream, const TraceParameterNames& names,
                                  const ApplyContinuation* continuation) {
  NlTraceContext copy = *trace;
  const bool filters_replaced = Named(names.filters, names.filters_length);
  if (Named(names.events, names.events_length)) ApplyEvents(&copy, parameters, names.events, names.events_length);
  if (filters_replaced) ApplyFilters(&copy, parameters, names.filters, names.filters_length);

  if (new_stream != nullptr) {
    copy.stream = new_stream;
    copy.level = 0;
    copy.flags &= static_cast<std::uint8_t>(~NLDT_FLAG_ON);
  }
  std::int32_t result = 0;
  if (Named(names.level, names.level_length)) {
    result = nldtlvlalter(errors, &copy, LevelParameter(errors, parameters, names.level, names.level_length));
  } else if (new_stream != nullptr) {
    result = nldtlvlalter(errors, &copy, trace->level);
  }
  if (result != 0) {
    if (filters_replaced) ReleaseFilterList(copy.filters);
    return result;
  }

  if (new_stream != nullptr) CloseLeftStream(*trace, new_stream);
  if (continuation != nullptr) {
    result = continuation->run(errors, &copy, trace, new_stream != nullptr, continuation->data);
    if (result != 0) {
      if (filters_replaced) ReleaseFilterList(copy.filters);
      return result;
    }
  }
  if (filters_replaced) {
    ReleaseFilterList(trace->filters);
    Release(trace->record_buffer);
  }
  *trace = copy;
  return 0;
}

}  // namespace kelnl::diagnostics
