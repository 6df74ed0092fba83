// The ring of trace files: a trace writes to one file at a time and moves on to the next file of
// its ring when the current one is nearly full.
#ifndef KELNL_DIAGNOSTICS_TRACE_RING_H
#define KELNL_DIAGNOSTICS_TRACE_RING_H

#include <cstdint>

#include "kelnl/nldt.h"

namespace kelnl::diagnostics {

// The highest cycle number; the file after it is number 1 again.
inline constexpr std::int32_t kLastSequence = 999999;
// A file is left this many bytes before its size, so that the record that would cross the size
// goes to the next file.
inline constexpr std::uint32_t kRingMargin = 400;

// Checks the trace's current stream after a record was written to it. When that stream cycles
// and has come within kRingMargin of the trace's file length, it is rewound (and cut where it
// stopped, dropping what an older, longer cycle left behind), and the trace moves on to its
// next stream with the next cycle number. 232 or 238 when the file layer fails.
std::int32_t MoveTraceRingOn(NlPrimaryErrorRecord* errors, NlTraceContext* trace);

}  // namespace kelnl::diagnostics

#endif
