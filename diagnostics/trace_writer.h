// Writing trace records and packet dumps to a trace stream, one whole line at a time.
#ifndef KELNL_DIAGNOSTICS_TRACE_WRITER_H
#define KELNL_DIAGNOSTICS_TRACE_WRITER_H

#include <cstdarg>
#include <cstdint>

#include "kelnl/nldt.h"

// Writes one record: a prefix (thread id, cycle number, time stamp and component, as far as the
// stream and its trace call for them), then the text formatted from format and arguments, which
// carries its own line end; then flushes. On a thread-safe context the whole record is written
// under trace_mutex, so nothing called here may trace. 0, or 506 when a write or the flush failed
// (the stream's own code is pushed before it). component may be null.
extern "C" int32_t nldtwrite(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* format,
                             const char* component, va_list arguments);

// Writes length bytes at data as lines of eight, each byte in hexadecimal and then as a
// character; each line has the prefix of a record. A dump of a cycling stream follows the trace
// ring from file to file. An empty dump writes nothing and succeeds. 0 or 506.
extern "C" int32_t nldtdump(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* component,
                            const void* data, uint32_t length);

namespace kelnl::diagnostics {

// nldtwrite with its arguments given directly.
std::int32_t WriteTraceRecord(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* component,
                              const char* format, ...);

}  // namespace kelnl::diagnostics

#endif
