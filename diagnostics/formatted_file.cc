// The formatted-file operations other than nlfifpf: the line-input file served here, and every
// other stream handed to the stream operations.
#include <cstdint>
#include <cstdio>

#include "diagnostics/stream_report.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nlfi.h"
#include "kelnl/snlf.h"
#include "platform/core/allocator.h"

namespace {

// A line-input file's kind data: only the handle, laid out like the start of NlDiagFile so that
// nldseof reads it the same way.
struct LineInputData {
  std::FILE* handle;
};

bool IsLineInput(const NlDiagStream* stream) {
  return stream != nullptr && stream->kind == NLDS_KIND_FILE && stream->options == NLDS_OPTION_LINE_INPUT;
}

std::FILE* HandleOf(const NlDiagStream* stream) { return static_cast<const LineInputData*>(stream->kind_data)->handle; }

int32_t OpenLineInput(NlPrimaryErrorRecord* errors, NlDiagStream** stream_slot, const NlFileNameDesc* desc) {
  *stream_slot = nullptr;
  kelnl::UniqueBlock<NlDiagStream> stream(static_cast<NlDiagStream*>(kelnl::AllocateZeroed(1, sizeof(NlDiagStream))));
  kelnl::UniqueBlock<LineInputData> data(static_cast<LineInputData*>(kelnl::AllocateZeroed(1, sizeof(LineInputData))));
  if (stream == nullptr || data == nullptr) return NLE_STREAM_NO_MEMORY;
  if (desc == nullptr || snlfohd(kelnl::diagnostics::OsRecord(errors), SNLF_MODE_READ, desc->base_name,
                                 desc->base_name_length, &data->handle) != 0) {
    return NLE_FILE_OPEN_FAILED;
  }
  stream->kind = NLDS_KIND_FILE;
  stream->options = NLDS_OPTION_LINE_INPUT;
  stream->kind_data = data.release();
  *stream_slot = stream.release();
  return 0;
}

}  // namespace

extern "C" int32_t nlfiini(void* context, NlPrimaryErrorRecord* errors, NlDiagStream** stream_slot,
                           void* stream_context, uint8_t kind_bits, uint8_t options, void* kind_argument) {
  (void)context;
  if (kind_bits == NLDS_KIND_FILE && options == NLDS_OPTION_LINE_INPUT) {
    if (stream_slot == nullptr) return NLE_STREAM_NULL;
    return OpenLineInput(errors, stream_slot, static_cast<const NlFileNameDesc*>(kind_argument));
  }
  return nldsinit(errors, stream_slot, stream_context, kind_bits, options, kind_argument);
}

extern "C" int32_t nlfidst(void* context, NlPrimaryErrorRecord* errors, NlDiagStream** stream_slot) {
  (void)context;
  if (stream_slot == nullptr || !IsLineInput(*stream_slot)) return nldsdestroy(errors, stream_slot);
  NlDiagStream* stream = *stream_slot;
  // The file was only read: nothing is lost when its close fails.
  (void)snlfchd(nullptr, HandleOf(stream));
  kelnl::Release(stream->kind_data);
  kelnl::Release(stream);
  *stream_slot = nullptr;
  return 0;
}

extern "C" int32_t nlfird(void* context, NlPrimaryErrorRecord* errors, NlDiagStream* stream, void* buffer,
                          uint32_t size, uint32_t* length_out) {
  (void)context;
  if (stream == nullptr || (!IsLineInput(stream) && stream->kind != NLDS_KIND_STANDARD_OUTPUT)) {
    return nldsread(errors, stream, buffer, size, length_out);
  }
  uint32_t length = 0;
  char* text = static_cast<char*>(buffer);
  NlOsErrorRecord* os_record = kelnl::diagnostics::OsRecord(errors);
  const int32_t failed = IsLineInput(stream) ? snlfglh(os_record, HandleOf(stream), text, size, &length)
                                             : snlfglt(os_record, text, size, &length);
  if (length_out != nullptr) *length_out = failed != 0 ? 0 : length;
  return failed != 0 ? NLE_FILE_READ_FAILED : 0;
}

extern "C" int32_t nlfiwr(void* context, NlPrimaryErrorRecord* errors, NlDiagStream* stream, const void* buffer,
                          uint32_t length) {
  (void)context;
  if (IsLineInput(stream)) return NLE_FILE_WRITE_FAILED;
  return nldswrite(errors, stream, buffer, length);
}

extern "C" int32_t nlfifl(void* context, NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  (void)context;
  return nldsflush(errors, stream);
}

extern "C" int32_t nlfiacc(int32_t mode, const char* name, uint32_t length) {
  return snlfacc(nullptr, mode, name, length) != 0 ? NLE_FILE_ACCESS_FAILED : 0;
}

extern "C" int32_t nlfitel(NlDiagStream* stream, int32_t* position_out) {
  if (!IsLineInput(stream)) return NLE_STREAM_KIND_UNSUPPORTED;
  return snlftel(nullptr, HandleOf(stream), position_out) != 0 ? NLE_FILE_POSITION_FAILED : 0;
}

extern "C" int32_t nlfisek(NlDiagStream* stream, int32_t offset, int32_t origin) {
  if (!IsLineInput(stream)) return NLE_STREAM_KIND_UNSUPPORTED;
  return snlfsek(nullptr, HandleOf(stream), origin, offset) != 0 ? NLE_FILE_POSITION_FAILED : 0;
}
