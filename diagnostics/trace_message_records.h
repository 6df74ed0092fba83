// Trace records whose component and text come from the trace message file.
#ifndef KELNL_DIAGNOSTICS_TRACE_MESSAGE_RECORDS_H
#define KELNL_DIAGNOSTICS_TRACE_MESSAGE_RECORDS_H

#include <cstdarg>
#include <cstdint>

#include "kelnl/nldt.h"

// Writes text_message of the trace message file as the format of a record named after
// component_message, with the caller's arguments, when the text's conversions agree with
// check_format (or, without one, when the text has no conversion); otherwise writes
// "Error: Inconsistent trace parameters line: <line>" instead, so that a mismatched message file
// can never make the trace read arguments that were not passed. 0, 500 or 506.
extern "C" int32_t nldtmsgrec(NlPrimaryErrorRecord* errors, NlTraceContext* trace, uint32_t component_message,
                              uint32_t text_message, const char* check_format, uint32_t line, va_list arguments);

// Dumps length (16 bits) bytes of data under the component named by component_message.
extern "C" int32_t nldtmsgdump(NlPrimaryErrorRecord* errors, NlTraceContext* trace, uint32_t component_message,
                               uint32_t length, const void* data);

namespace kelnl::diagnostics {

// Whether a message text may be formatted with arguments that follow check_format.
bool TextAgreesWithCheckFormat(const char* text, const char* check_format);

}  // namespace kelnl::diagnostics

#endif
