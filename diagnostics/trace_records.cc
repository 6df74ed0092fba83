// The exported record writers: decide, then write a text record or a dump.
#include <cstdarg>
#include <initializer_list>
#include <cstdint>

#include "diagnostics/stream_report.h"
#include "diagnostics/trace_decision.h"
#include "diagnostics/trace_stream.h"
#include "diagnostics/trace_writer.h"

namespace {

using kelnl::diagnostics::CurrentTraceStream;
using kelnl::diagnostics::Fail;
using kelnl::diagnostics::RecordDecision;
using kelnl::diagnostics::WriteTraceRecord;

constexpr std::uint8_t kFatalLevel = 1;
constexpr std::uint8_t kErrorLevel = 2;
// Above this trace level the records of nldtr1 name their component.
constexpr std::uint8_t kComponentShownAbove = 6;

// Most records a component writes are above the trace's level: they are turned away first,
// before anything else is looked at.
inline bool AboveLevel(const NlTraceContext* trace, std::uint32_t level) {
  return (trace->flags & NLDT_FLAG_FILTERS) == 0 && trace->level < static_cast<std::uint8_t>(level);
}

bool Wanted(const NlTraceContext* trace, const char* component, std::uint32_t level,
            std::initializer_list<std::uint32_t> events) {
  RecordDecision decision(trace, component, level);
  for (const std::uint32_t event : events) decision.AddEvent(event);
  return decision.Wanted();
}

// The markers stand on the record's own line, in front of its text, with a prefix of their own.
std::int32_t WriteLeveledRecord(NlPrimaryErrorRecord* errors, NlTraceContext* trace, const char* component,
                                std::uint8_t level, const char* format, va_list arguments) {
  NlDiagStream* stream = CurrentTraceStream(trace);
  if (level == kErrorLevel) {
    if (const std::int32_t failed = WriteTraceRecord(errors, stream, nullptr, "-<ERROR>- ")) return failed;
  } else if (level == kFatalLevel) {
    if (const std::int32_t failed = WriteTraceRecord(errors, stream, nullptr, "\n-<FATAL?>- ")) return failed;
  }
  const char* shown = trace->level > kComponentShownAbove ? component : nullptr;
  if (const std::int32_t failed = nldtwrite(errors, stream, format, shown, arguments)) return failed;
  if (level == kFatalLevel) return WriteTraceRecord(errors, stream, nullptr, "\n");
  return 0;
}

}  // namespace

extern "C" int32_t nldtr1(NlPrimaryErrorRecord* errors, NlTraceContext* trace, const char* component, uint32_t level,
                          ...) {
  if (trace == nullptr) return Fail(errors, NLE_TRACE_NULL);
  if (AboveLevel(trace, level)) return 0;
  va_list arguments;
  va_start(arguments, level);
  RecordDecision decision(trace, component, level);
  for (int event = va_arg(arguments, int); event != 0 && !decision.Refused(); event = va_arg(arguments, int)) {
    decision.AddEvent(static_cast<std::uint32_t>(event));
  }
  std::int32_t result = 0;
  if (decision.Wanted()) {
    // The whole event list was read: the loop stops early only when the record is refused.
    const char* format = va_arg(arguments, const char*);
    result = WriteLeveledRecord(errors, trace, component, static_cast<std::uint8_t>(level), format, arguments);
  }
  va_end(arguments);
  return result;
}

extern "C" int32_t nldtr2(NlPrimaryErrorRecord* errors, NlTraceContext* trace, const char* component, uint32_t level,
                          uint32_t event1, uint32_t event2, uint32_t event3, const char* format, ...) {
  if (trace == nullptr) return Fail(errors, NLE_TRACE_NULL);
  if (AboveLevel(trace, level) || !Wanted(trace, component, level, {event1, event2, event3})) return 0;
  va_list arguments;
  va_start(arguments, format);
  const std::int32_t result = nldtwrite(errors, CurrentTraceStream(trace), format, component, arguments);
  va_end(arguments);
  return result;
}

extern "C" int32_t nldtr3(NlPrimaryErrorRecord* errors, NlTraceContext* trace, const char* component, uint32_t level,
                          uint32_t event1, uint32_t event2, uint32_t event3, uint32_t /*reserved*/, const void* data,
                          uint32_t length) {
  if (trace == nullptr) return Fail(errors, NLE_TRACE_NULL);
  if (AboveLevel(trace, level) || !Wanted(trace, component, level, {event1, event2, event3})) return 0;
  return nldtdump(errors, CurrentTraceStream(trace), component, data, length);
}

extern "C" int32_t nldtr4(NlPrimaryErrorRecord* errors, NlTraceContext* trace, const char* component,
                          const char* format, ...) {
  if (trace == nullptr) return Fail(errors, NLE_TRACE_NULL);
  va_list arguments;
  va_start(arguments, format);
  const std::int32_t result = nldtwrite(errors, CurrentTraceStream(trace), format, component, arguments);
  va_end(arguments);
  return result;
}
