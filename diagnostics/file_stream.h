// The operations of a file stream that move data, shared between its two source files.
#ifndef KELNL_DIAGNOSTICS_FILE_STREAM_H
#define KELNL_DIAGNOSTICS_FILE_STREAM_H

#include <cstdarg>
#include <cstdint>

#include "kelnl/nlds.h"

namespace kelnl::diagnostics {

inline NlDiagFile* FileOf(const NlDiagStream* stream) { return static_cast<NlDiagFile*>(stream->kind_data); }

std::int32_t ReadFile(NlPrimaryErrorRecord* errors, NlDiagStream* stream, void* buffer, std::uint32_t size,
                      std::uint32_t* length_out);
std::int32_t WriteFile(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const void* buffer,
                       std::uint32_t length);
std::int32_t PrintFile(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* format,
                       va_list arguments);
std::int32_t FlushFile(NlPrimaryErrorRecord* errors, NlDiagStream* stream);

}  // namespace kelnl::diagnostics

#endif
