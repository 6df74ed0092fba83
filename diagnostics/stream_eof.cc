#include "diagnostics/stream_eof.h"

#include <cstdio>

#include "kelnl/nlerrors.h"

extern "C" std::int32_t nldseof(const NlDiagStream* stream) {
  if (stream == nullptr) return NLE_STREAM_NOT_AT_END;
  if (stream->kind == NLDS_KIND_STANDARD_OUTPUT) return 0;
  if (stream->kind == NLDS_KIND_FILE) {
    const auto* file = static_cast<const NlDiagFile*>(stream->kind_data);
    std::FILE* handle = file != nullptr ? file->handle : nullptr;
    if (handle == nullptr || std::feof(handle) != 0) return 0;
  }
  return NLE_STREAM_NOT_AT_END;
}
