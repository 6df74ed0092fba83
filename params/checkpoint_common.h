// What dumping and loading a checkpoint share: its file name and their trace records.
#ifndef KELNL_PARAMS_CHECKPOINT_COMMON_H
#define KELNL_PARAMS_CHECKPOINT_COMMON_H

#include <cstdint>

#include "kelnl/nldt.h"
#include "kelnl/nlfn.h"
#include "kelnl/nlstd.h"

namespace kelnl::params {

// Room for a name of 256 characters and its terminator.
constexpr std::uint32_t kCheckpointNameBuffer = 257;

// A copy of desc (null: an empty descriptor) with the default base name and the fixed extension
// applied. The copy points at desc's texts and at constants.
NlFileNameDesc CompleteCheckpointDesc(const NlFileNameDesc* desc);

// Builds the terminated name of a completed descriptor. False with the reason in record; a name
// that fills the whole buffer is refused, it could not be told from one cut short.
bool BuildCheckpointName(NlOsErrorRecord* record, const NlFileNameDesc& completed, char* buffer,
                         std::uint32_t* length);

}  // namespace kelnl::params

#endif
