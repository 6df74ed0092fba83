// The kinds behind a stream: each one's kind data and its table of eight operations.
#ifndef KELNL_DIAGNOSTICS_STREAM_KINDS_H
#define KELNL_DIAGNOSTICS_STREAM_KINDS_H

#include <cstdint>

#include "kelnl/nlds.h"
#include "kelnl/nlep.h"
#include "kelnl/nlfn.h"

namespace kelnl::diagnostics {

// Each Create* stores freshly allocated kind data in stream->kind_data, or pushes its code and
// leaves kind_data null with nothing allocated.
std::int32_t CreateStandardData(NlPrimaryErrorRecord* errors, NlDiagStream* stream);
std::int32_t CreateFileData(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const NlFileNameDesc* desc);
std::int32_t CreatePairData(NlPrimaryErrorRecord* errors, NlDiagStream* stream, NlDiagStream* const* members);

void InstallStandardOperations(NlDiagStream* stream);
void InstallFileOperations(NlDiagStream* stream);
void InstallPairOperations(NlDiagStream* stream);

// The read operation of the kinds that cannot be read: refuses with 216.
std::int32_t RefuseRead(NlPrimaryErrorRecord* errors, NlDiagStream* stream, void* buffer, std::uint32_t size,
                        std::uint32_t* length_out);

// Installs the table that belongs to stream->kind; false for an unknown kind.
bool InstallOperations(NlDiagStream* stream);

}  // namespace kelnl::diagnostics

#endif
