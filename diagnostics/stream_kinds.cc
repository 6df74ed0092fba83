#include "diagnostics/stream_kinds.h"

#include "diagnostics/stream_report.h"

namespace kelnl::diagnostics {

std::int32_t RefuseRead(NlPrimaryErrorRecord* errors, NlDiagStream*, void*, std::uint32_t, std::uint32_t*) {
  return Fail(errors, NLE_STREAM_NOT_READABLE);
}

bool InstallOperations(NlDiagStream* stream) {
  switch (stream->kind) {
    case NLDS_KIND_STANDARD_OUTPUT:
    case NLDS_KIND_STANDARD_ERROR:
      InstallStandardOperations(stream);
      return true;
    case NLDS_KIND_FILE:
      InstallFileOperations(stream);
      return true;
    case NLDS_KIND_PAIR:
      InstallPairOperations(stream);
      return true;
    default:
      return false;
  }
}

}  // namespace kelnl::diagnostics
