// The trace's current stream as record writers see it before they hold trace_mutex.
#ifndef KELNL_DIAGNOSTICS_TRACE_STREAM_H
#define KELNL_DIAGNOSTICS_TRACE_STREAM_H

#include <atomic>

#include "kelnl/nldt.h"

namespace kelnl::diagnostics {

// Writers read the stream before they take trace_mutex, while a writer holding it may move the
// ring on: the field is read and, when the ring moves, stored as one atomic word. The writer
// then writes to the file the ring stands at once it holds the mutex.
inline NlDiagStream* CurrentTraceStream(NlTraceContext* trace) {
  return std::atomic_ref<NlDiagStream*>(trace->stream).load(std::memory_order_relaxed);
}

inline void MoveTraceStream(NlTraceContext* trace, NlDiagStream* stream) {
  std::atomic_ref<NlDiagStream*>(trace->stream).store(stream, std::memory_order_relaxed);
}

}  // namespace kelnl::diagnostics

#endif
