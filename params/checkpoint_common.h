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

// Entry, exit and file-name records of one operation, written only while the trace is on. The
// trace's own failures go to a record of its own: they are not the operation's.
class CheckpointTrace {
 public:
  CheckpointTrace(NlGlobalContext* context, std::uint32_t component);
  void Entry(std::uint32_t line);
  void Exit(std::uint32_t line, std::int32_t result);
  void FileName(std::uint32_t line, const char* name);

 private:
  NlTraceContext* trace_ = nullptr;
  std::uint32_t component_;
  NlPrimaryErrorRecord scratch_{};
};

}  // namespace kelnl::params

#endif
