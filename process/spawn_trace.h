// The trace of the spawn operations: entry, exit and the steps worth seeing.
#ifndef KELNL_PROCESS_SPAWN_TRACE_H
#define KELNL_PROCESS_SPAWN_TRACE_H

#include <cstdint>

#include "diagnostics/operation_trace.h"

namespace kelnl::process {

// Spawning is rare and its steps are what an administrator looks for when a server does not
// come up, so they are written at a level an administrator sets.
inline constexpr std::uint32_t kSpawnTraceLevel = 6;

class SpawnTrace : public diagnostics::OperationTrace {
 public:
  SpawnTrace(const NlGlobalContext* context, std::uint32_t component)
      : OperationTrace(context, component, kSpawnTraceLevel) {}
};

}  // namespace kelnl::process

#endif
