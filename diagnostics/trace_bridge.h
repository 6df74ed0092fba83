// The external trace bridge: how records and control calls reach the external trace library.
#ifndef KELNL_DIAGNOSTICS_TRACE_BRIDGE_H
#define KELNL_DIAGNOSTICS_TRACE_BRIDGE_H

#include <cstdint>

#include "kelnl/nldt.h"

namespace kelnl::diagnostics {

// Listing this event makes a record a packet dump.
inline constexpr std::uint32_t kDumpEvent = 14;

// The bridge is active while registered and not switched off again.
inline bool BridgeActive(const NlTraceContext* trace) {
  return trace->external_handle != nullptr && (trace->flags & NLDT_FLAG_EXTERNAL) != 0;
}

// Hands a finished record to the external trace library and flushes it there.
void SendExternalRecord(NlTraceContext* trace, std::int32_t type, const void* record, std::uint32_t length,
                        uintptr_t external_argument);

// For teardown: releases the registration of a trace that went external.
void TerminateExternalTrace(NlTraceContext* trace);

}  // namespace kelnl::diagnostics

#endif
