// Creating, changing and releasing trace contexts.
#include <cstdint>
#include <cstring>

#include "diagnostics/stream_report.h"
#include "diagnostics/trace_config.h"
#include "kelnl/nlem.h"
#include "kelnl/nlstd.h"
#include "platform/core/allocator.h"

namespace kelnl::diagnostics {
namespace {

constexpr std::int32_t kTraceMessageFile = 37;

void ReleaseTrace(NlTraceContext* trace) {
  ReleaseFilterList(trace->filters);
  Release(trace->record_buffer);
  Release(trace);
}

}  // namespace

void ReleaseFilterList(NlTraceFilter* head) {
  while (head != nullptr) {
    NlTraceFilter* next = head->next;
    Release(head->name);
    Release(head);
    head = next;
  }
}

bool AttachGlobalContext(NlTraceContext* trace) {
  NlGlobalContext* context = nullptr;
  nlstdini(&context);
  if (context == nullptr) return false;
  // A trace whose message file cannot be registered still writes its records; their texts then
  // fall back to naming the message, so a registration failure is not the trace's.
  if (context->message_facility != nullptr) {
    (void)nlemfireg(context->primary_errors, context->message_facility, kTraceMessageFile, "NETWORK", 7, "NLT", 3);
  }
  trace->context = context;
  NlGlobalContext* hold = context;
  nlstdtrm(&hold);
  return true;
}

std::int32_t CreateTraceContext(NlPrimaryErrorRecord* errors, NlTraceContext** trace_slot,
                                NlParameterTable* parameters, NlDiagStream* stream, const TraceParameterNames& names,
                                const ApplyContinuation* continuation) {
  if (trace_slot == nullptr) return Fail(errors, NLE_TRACE_NULL);
  *trace_slot = nullptr;
  if (stream == nullptr) return Fail(errors, NLE_TRACE_NO_STREAM);
  auto* trace = static_cast<NlTraceContext*>(kelnl::AllocateZeroed(1, sizeof(NlTraceContext)));
  if (trace == nullptr) return Fail(errors, NLE_TRACE_NO_MEMORY);
  // A trace has at least one file; a ring of several is built by the startup opening.
  trace->file_count = 1;
  std::int32_t result = ApplyTraceParameters(errors, trace, parameters, stream, names, continuation);
  if (result == 0 && !AttachGlobalContext(trace)) result = Fail(errors, NLE_TRACE_NO_MEMORY);
  if (result != 0) {
    ReleaseTrace(trace);
    return result;
  }
  *trace_slot = trace;
  return 0;
}

}  // namespace kelnl::diagnostics

extern "C" int32_t nldtin2(NlPrimaryErrorRecord* errors, NlTraceContext** trace_slot, NlParameterTable* parameters,
                           NlDiagStream* stream, const char* level_name, uint32_t level_name_length,
                           const char* events_name, uint32_t events_name_length, const char* filters_name,
                           uint32_t filters_name_length) {
  using namespace kelnl::diagnostics;
  const TraceParameterNames names{level_name,  level_name_length,  events_name,
                                  events_name_length, filters_name, filters_name_length};
  return CreateTraceContext(errors, trace_slot, parameters, stream, names, nullptr);
}

using kelnl::diagnostics::Fail;

extern "C" int32_t nldtalter(NlPrimaryErrorRecord* errors, NlTraceContext* trace, NlParameterTable* parameters,
                             NlDiagStream* stream, const char* level_name, uint32_t level_name_length,
                             const char* events_name, uint32_t events_name_length, const char* filters_name,
                             uint32_t filters_name_length) {
  using namespace kelnl::diagnostics;
  if (trace == nullptr) return Fail(errors, NLE_TRACE_NULL);
  const TraceParameterNames names{level_name,  level_name_length,  events_name,
                                  events_name_length, filters_name, filters_name_length};
  return ApplyTraceParameters(errors, trace, parameters, stream, names);
}

extern "C" int32_t nldtdestroy(NlPrimaryErrorRecord* errors, NlTraceContext** trace_slot) {
  if (trace_slot == nullptr || *trace_slot == nullptr) return Fail(errors, NLE_TRACE_NULL);
  kelnl::diagnostics::ReleaseTrace(*trace_slot);
  *trace_slot = nullptr;
  return 0;
}

extern "C" int32_t nldtlvlalter(NlPrimaryErrorRecord* errors, NlTraceContext* trace, uint32_t level) {
  if (trace == nullptr) return Fail(errors, NLE_TRACE_NULL);
  const std::uint32_t capped = level > NLDT_LEVEL_MAXIMUM ? NLDT_LEVEL_MAXIMUM : level;
  if (capped == trace->level) return 0;
  if (trace->stream != nullptr) {
    if (capped > 0) {
      if (nldsopen(errors, trace->stream) != 0) return Fail(errors, NLE_TRACE_OPEN_FAILED);
    } else if ((trace->stream->state & NLDS_STATE_OPEN) != 0) {
      // Closing a stream that is not open would only report 206, which is no failure here.
      const std::int32_t closed = nldsclose(errors, trace->stream);
      if (closed != 0) return closed;
    }
  }
  trace->level = static_cast<std::uint8_t>(capped);
  if (capped > 0) {
    trace->flags = static_cast<std::uint8_t>(trace->flags | NLDT_FLAG_ON);
  } else {
    trace->flags = static_cast<std::uint8_t>(trace->flags & ~NLDT_FLAG_ON);
  }
  return 0;
}

extern "C" int32_t nldtqins(NlTraceContext* trace, const char* text, uint32_t length) {
  if (trace == nullptr || (text == nullptr && length != 0)) return 0;
  auto* node = static_cast<NlTraceFilter*>(kelnl::Allocate(sizeof(NlTraceFilter)));
  if (node == nullptr) return 0;
  // At least one byte, so that an empty name still has its own block.
  node->name = static_cast<char*>(kelnl::Allocate(length != 0 ? length : 1));
  if (node->name == nullptr) {
    kelnl::Release(node);
    return 0;
  }
  if (length != 0) std::memcpy(node->name, text, length);
  node->name_length = length;
  node->next = trace->filters;
  trace->filters = node;
  return 1;
}

extern "C" int32_t nldtshget(NlPrimaryErrorRecord* errors, NlTraceContext* trace, NlDiagStream** stream_slot) {
  if (trace == nullptr) {
    if (stream_slot != nullptr) *stream_slot = nullptr;
    return Fail(errors, NLE_TRACE_NULL);
  }
  if (stream_slot == nullptr) return Fail(errors, NLE_TRACE_NO_STREAM);
  *stream_slot = trace->stream;
  return 0;
}
