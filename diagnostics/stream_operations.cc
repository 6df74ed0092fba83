// The exported stream operations: check the stream, open it when the operation needs it, and
// dispatch to the kind's operation.
#include <cstdarg>
#include <cstdint>

#include "diagnostics/stream_report.h"
#include "kelnl/nlds.h"

using kelnl::diagnostics::Fail;

namespace {

std::int32_t CheckStream(NlPrimaryErrorRecord* errors, const NlDiagStream* stream) {
  if (stream == nullptr) return Fail(errors, NLE_STREAM_NULL);
  if ((stream->state & NLDS_STATE_INITIALISED) == 0) return Fail(errors, NLE_STREAM_NOT_INITIALISED);
  return 0;
}

bool IsOpen(const NlDiagStream* stream) { return (stream->state & NLDS_STATE_OPEN) != 0; }

// A failed open leaves the stream closed.
std::int32_t OpenUnlessOpen(NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  if (IsOpen(stream)) return 0;
  const std::int32_t result = stream->op_open(errors, stream);
  if (result != 0) return result;
  stream->state = static_cast<std::uint8_t>(stream->state | NLDS_STATE_OPEN);
  return 0;
}

// What every operation that moves data does first.
std::int32_t CheckAndOpen(NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  const std::int32_t checked = CheckStream(errors, stream);
  return checked != 0 ? checked : OpenUnlessOpen(errors, stream);
}

}  // namespace

extern "C" int32_t nldsopen(NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  return CheckAndOpen(errors, stream);
}

extern "C" int32_t nldsclose(NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  const std::int32_t checked = CheckStream(errors, stream);
  if (checked != 0) return checked;
  if (!IsOpen(stream)) return Fail(errors, NLE_STREAM_NOT_OPEN);
  // A failed flush does not keep the stream open (or a pair whose members were closed first
  // could never be destroyed), but it is the result: data may be lost, on a full disk say, and a
  // caller that checks the result must learn of it.
  const std::int32_t flushed = stream->op_flush(errors, stream);
  const std::int32_t closed = stream->op_close(errors, stream);
  if (closed != 0) return closed;
  stream->state = static_cast<std::uint8_t>(stream->state & ~NLDS_STATE_OPEN);
  return flushed;
}

extern "C" int32_t nldsflush(NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  const std::int32_t checked = CheckStream(errors, stream);
  if (checked != 0) return checked;
  if (!IsOpen(stream)) return Fail(errors, NLE_STREAM_NOT_OPEN);
  return stream->op_flush(errors, stream);
}

extern "C" int32_t nldsread(NlPrimaryErrorRecord* errors, NlDiagStream* stream, void* buffer, uint32_t size,
                            uint32_t* length_out) {
  const std::int32_t ready = CheckAndOpen(errors, stream);
  return ready != 0 ? ready : stream->op_read(errors, stream, buffer, size, length_out);
}

extern "C" int32_t nldswrite(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const void* buffer,
                             uint32_t length) {
  const std::int32_t ready = CheckAndOpen(errors, stream);
  return ready != 0 ? ready : stream->op_write(errors, stream, buffer, length);
}

extern "C" int32_t nldsvfprintf(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* format,
                                va_list arguments) {
  const std::int32_t ready = CheckAndOpen(errors, stream);
  return ready != 0 ? ready : stream->op_vfprintf(errors, stream, format, arguments);
}

extern "C" int32_t nldsfprintf(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::int32_t result = nldsvfprintf(errors, stream, format, arguments);
  va_end(arguments);
  return result;
}

extern "C" int32_t nldsinfo(NlPrimaryErrorRecord* errors, NlDiagStream* stream, uint32_t* kind_out,
                            uint32_t* options_out, void* info_buffer) {
  const std::int32_t checked = CheckStream(errors, stream);
  if (checked != 0) return checked;
  if (kind_out != nullptr) *kind_out = stream->kind;
  if (options_out != nullptr) *options_out = stream->options;
  return info_buffer != nullptr ? stream->op_info(errors, stream, info_buffer) : 0;
}
