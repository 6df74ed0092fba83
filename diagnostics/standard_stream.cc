// Standard output and standard error. The kind data is one word: the C runtime handle obtained
// at open.
#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "diagnostics/stream_kinds.h"
#include "diagnostics/stream_report.h"
#include "kelnl/snlf.h"
#include "platform/core/allocator.h"

namespace kelnl::diagnostics {
namespace {

struct StandardCodes {
  std::uint32_t selector;
  std::int32_t open;
  std::int32_t close;
  std::int32_t write;
  std::int32_t print;
  std::int32_t flush;
};

constexpr StandardCodes kOutputCodes{SNLF_STANDARD_OUTPUT,    NLE_STDOUT_OPEN_FAILED,  NLE_STDOUT_CLOSE_FAILED,
                                     NLE_STDOUT_WRITE_FAILED, NLE_STDOUT_PRINT_FAILED, NLE_STDOUT_FLUSH_FAILED};
constexpr StandardCodes kErrorCodes{SNLF_STANDARD_ERROR,     NLE_STDERR_OPEN_FAILED,  NLE_STDERR_CLOSE_FAILED,
                                    NLE_STDERR_WRITE_FAILED, NLE_STDERR_PRINT_FAILED, NLE_STDERR_FLUSH_FAILED};

const StandardCodes& CodesOf(const NlDiagStream* stream) {
  return stream->kind == NLDS_KIND_STANDARD_ERROR ? kErrorCodes : kOutputCodes;
}

FILE*& HandleOf(NlDiagStream* stream) { return *static_cast<FILE**>(stream->kind_data); }

std::int32_t OpenStandard(NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  if (snlfoty(OsRecord(errors), CodesOf(stream).selector, &HandleOf(stream)) != 0) {
    return FailFromFileLayer(errors, CodesOf(stream).open);
  }
  return 0;
}

std::int32_t CloseStandard(NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  if (snlfchd(OsRecord(errors), HandleOf(stream)) != 0) return FailFromFileLayer(errors, CodesOf(stream).close);
  HandleOf(stream) = nullptr;
  return 0;
}

std::int32_t DestroyStandard(NlPrimaryErrorRecord*, NlDiagStream* stream) {
  Release(stream->kind_data);
  stream->kind_data = nullptr;
  return 0;
}

std::int32_t WriteStandard(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const void* buffer,
                           std::uint32_t length) {
  if (snlfwrt(OsRecord(errors), HandleOf(stream), buffer, length) != 0) {
    return FailFromFileLayer(errors, CodesOf(stream).write);
  }
  return 0;
}

// The record's text buffer is the caller's, text_length bytes long: the text is cut to fit it
// rather than written past its end. Without a buffer the text has nowhere to go and is dropped.
void CaptureText(NlPrimaryErrorRecord* errors, const char* format, va_list arguments) {
  if (errors == nullptr || errors->text == nullptr || errors->text_length == 0 || format == nullptr) return;
  (void)std::vsnprintf(errors->text, errors->text_length, format, arguments);
}

std::int32_t PrintStandard(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* format,
                           va_list arguments) {
  if ((stream->capture & NLDS_CAPTURE_TEXT) != 0) {
    CaptureText(errors, format, arguments);
    return 0;
  }
  if (snlfvfp(OsRecord(errors), HandleOf(stream), format, arguments) != 0) {
    return FailFromFileLayer(errors, CodesOf(stream).print);
  }
  return 0;
}

std::int32_t FlushStandard(NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  if (snlffls(OsRecord(errors), HandleOf(stream)) != 0) return FailFromFileLayer(errors, CodesOf(stream).flush);
  return 0;
}

std::int32_t NoStandardInfo(NlPrimaryErrorRecord*, NlDiagStream*, void*) { return 0; }

}  // namespace

std::int32_t CreateStandardData(NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  stream->kind_data = AllocateZeroed(1, sizeof(FILE*));
  return stream->kind_data == nullptr ? Fail(errors, NLE_STREAM_NO_MEMORY) : 0;
}

void InstallStandardOperations(NlDiagStream* stream) {
  stream->op_open = OpenStandard;
  stream->op_close = CloseStandard;
  stream->op_destroy = DestroyStandard;
  stream->op_read = RefuseRead;
  stream->op_write = WriteStandard;
  stream->op_vfprintf = PrintStandard;
  stream->op_flush = FlushStandard;
  stream->op_info = NoStandardInfo;
}

}  // namespace kelnl::diagnostics
