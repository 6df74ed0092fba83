// Entry and exit records of the iterator operations.
#ifndef KELNL_ADDRESS_OPERATION_TRACE_H
#define KELNL_ADDRESS_OPERATION_TRACE_H

#include <cstdint>

#include "diagnostics/trace_config.h"
#include "kelnl/nldt.h"
#include "kelnl/nltrmsg.h"

namespace kelnl::address {

// Entry and exit are detail a developer asks for, not an administrator.
constexpr std::uint32_t kTraceLevel = 15;
constexpr int kEventGeneral = 1;
// A refused descriptor is an error a user must see at the error level.
constexpr std::uint32_t kErrorLevel = 2;

class OperationTrace {
 public:
  OperationTrace(const NlGlobalContext* context, std::uint32_t component) : component_(component) {
    NlTraceContext* trace = context != nullptr ? context->trace : nullptr;
    if (kelnl::diagnostics::TraceIsOn(trace)) trace_ = trace;
  }
  void Entry(std::uint32_t line) {
    if (trace_ == nullptr) return;
    nldtotrc(&scratch_, trace_, 0, component_, line, kTraceLevel, kEventGeneral, 0, NLTR_ENTRY, "");
  }
  void Exit(std::uint32_t line) {
    if (trace_ == nullptr) return;
    nldtotrc(&scratch_, trace_, 0, component_, line, kTraceLevel, kEventGeneral, 0, NLTR_EXIT, "");
  }
  std::int32_t Exit(std::uint32_t line, std::int32_t result) {
    if (trace_ == nullptr) return result;
    nldtotrc(&scratch_, trace_, 0, component_, line, kTraceLevel, kEventGeneral, 0, NLTR_EXIT_RESULT, "%d",
             static_cast<int>(result));
    return result;
  }

  void Refused(std::uint32_t line) {
    if (trace_ == nullptr) return;
    nldtotrc(&scratch_, trace_, 0, component_, line, kErrorLevel, kEventGeneral, 0, NLTR_DESCRIPTOR_REFUSED, "");
  }

 private:
  NlTraceContext* trace_ = nullptr;
  std::uint32_t component_;
  // The trace's own failures are of no concern to callers, who get result codes only.
  NlPrimaryErrorRecord scratch_{};
};

}  // namespace kelnl::address

#endif
