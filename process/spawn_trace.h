// Trace records of the spawn operations: entry, exit and the steps worth seeing. The trace's own
// failures are of no concern to callers that get no errors back, so they land in a scratch record.
#ifndef KELNL_PROCESS_SPAWN_TRACE_H
#define KELNL_PROCESS_SPAWN_TRACE_H

#include <cstdint>

#include "kelnl/nldt.h"
#include "kelnl/nlstd.h"

namespace kelnl::process {

class SpawnTrace {
 public:
  SpawnTrace(NlGlobalContext* context, std::uint32_t component);
  void Entry(std::uint32_t line);
  void Exit(std::uint32_t line, std::int32_t result);
  // message takes one %s argument.
  void Text(std::uint32_t line, std::uint32_t message, const char* text);
  void Field(std::uint32_t line, const char* keyword, const char* value);

 private:
  NlTraceContext* trace_ = nullptr;  // null while the trace is off
  std::uint32_t component_;
  NlPrimaryErrorRecord scratch_{};
};

}  // namespace kelnl::process

#endif
