#include "diagnostics/trace_open_steps.h"

#include <cstring>

#include "diagnostics/trace_open_ring.h"
#include "kelnl/nlpa.h"

namespace kelnl::diagnostics {
namespace {

std::uint32_t NameLength(const char* name) { return name != nullptr ? static_cast<std::uint32_t>(std::strlen(name)) : 0; }

// A parameter's first element as a number (converted as atoi would); false when it is absent.
bool FirstNumber(NlParameterTable* parameters, const char* name, std::int32_t* number) {
  return name != nullptr && nlpagip(nullptr, parameters, name, NameLength(name), 1, number) == 0;
}

void SetCycling(NlDiagStream* stream) { stream->state = static_cast<std::uint8_t>(stream->state | NLDS_STATE_CYCLING); }

// One file of a given length wraps onto itself; several make a ring. Without a file length
// nothing cycles, whatever the count says.
void ApplyFileCount(NlPrimaryErrorRecord* errors, NlTraceContext* copy, const TraceStartupSteps& steps) {
  NlDiagStream* stream = copy->stream;
  if (stream == nullptr || stream->kind != NLDS_KIND_FILE || copy->file_length == 0) return;
  std::int32_t count = 0;
  if (!FirstNumber(steps.parameters, steps.file_count, &count) || count < 1) return;
  copy->file_count = count;
  SetCycling(stream);
  if (count > 1) copy->file_count = BuildTraceRing(errors, stream, count);
}

void ApplyTimeStamp(NlTraceContext* copy, const TraceStartupSteps& steps) {
  if (steps.time_stamp == nullptr) return;
  std::int32_t on = 0;
  // False leaves the bit: an earlier opening may have asked for stamps.
  if (nlpagbp(nullptr, steps.parameters, steps.time_stamp, NameLength(steps.time_stamp), 1, &on) == 0 && on != 0) {
    copy->flags = static_cast<std::uint8_t>(copy->flags | NLDT_FLAG_TIME_STAMPS);
  }
}

void ApplySecondaryLevel(NlPrimaryErrorRecord* errors, NlTraceContext* copy, const TraceStartupSteps& steps) {
  if (copy->stream == nullptr || steps.secondary_level == nullptr) return;
  char* text = nullptr;
  std::uint32_t length = 0;
  if (nlpagsp(nullptr, steps.parameters, steps.secondary_level, NameLength(steps.secondary_level), 1, &text,
              &length) == 0) {
    copy->secondary_level = nldtstr2lv(errors, text, length);
  }
}

// Every file of the ring writes for the trace the copy is stored into, starting at cycle 1.
void OwnRing(NlTraceContext* copy, NlTraceContext* trace) {
  NlDiagStream* stream = copy->stream;
  for (std::int32_t i = 0; i < copy->file_count && stream != nullptr; ++i) {
    stream->trace = trace;
    stream->sequence = 1;
    stream = stream->next;
  }
}

std::int32_t RunStartupSteps(NlPrimaryErrorRecord* errors, NlTraceContext* copy, NlTraceContext* trace,
                             bool new_stream, const void* data) {
  const auto& steps = *static_cast<const TraceStartupSteps*>(data);
  if ((copy->flags & NLDT_FLAG_ON) == 0) return 0;
  std::int32_t file_length = 0;
  if (FirstNumber(steps.parameters, steps.file_length, &file_length)) copy->file_length = file_length;
  if (!new_stream && copy->stream != nullptr) {
    const std::int32_t opened = nldsopen(errors, copy->stream);
    if (opened != 0) return opened;
    // The count starts over at one file: a kept stream of an earlier ring leaves that ring.
    DropOtherRingFiles(copy->stream);
  }
  copy->file_count = 1;
  ApplyFileCount(errors, copy, steps);
  ApplyTimeStamp(copy, steps);
  ApplySecondaryLevel(errors, copy, steps);
  OwnRing(copy, trace);
  return 0;
}

}  // namespace

ApplyContinuation StartupContinuation(const TraceStartupSteps* steps) { return {RunStartupSteps, steps}; }

}  // namespace kelnl::diagnostics
