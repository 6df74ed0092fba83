#include "diagnostics/operation_trace.h"

#include "diagnostics/trace_config.h"
#include "kelnl/nltrmsg.h"

namespace kelnl::diagnostics {
namespace {

constexpr int kEventGeneral = 1;

}  // namespace

OperationTrace::OperationTrace(const NlGlobalContext* context, std::uint32_t component, std::uint32_t level)
    : component_(component), level_(level) {
  NlTraceContext* trace = context != nullptr ? context->trace : nullptr;
  if (TraceIsOn(trace)) trace_ = trace;
}

void OperationTrace::Entry(std::uint32_t line) { Message(line, level_, NLTR_ENTRY); }

void OperationTrace::Exit(std::uint32_t line) { Message(line, level_, NLTR_EXIT); }

std::int32_t OperationTrace::Exit(std::uint32_t line, std::int32_t result) {
  if (trace_ == nullptr) return result;
  nldtotrc(&scratch_, trace_, 0, component_, line, level_, kEventGeneral, 0, NLTR_EXIT_RESULT, "%d",
           static_cast<int>(result));
  return result;
}

void OperationTrace::Message(std::uint32_t line, std::uint32_t level, std::uint32_t message) {
  if (trace_ == nullptr) return;
  nldtotrc(&scratch_, trace_, 0, component_, line, level, kEventGeneral, 0, message, "");
}

void OperationTrace::Text(std::uint32_t line, std::uint32_t message, const char* text) {
  if (trace_ == nullptr) return;
  nldtotrc(&scratch_, trace_, 0, component_, line, level_, kEventGeneral, 0, message, "%s", text);
}

void OperationTrace::Texts(std::uint32_t line, std::uint32_t message, const char* first, const char* second) {
  if (trace_ == nullptr) return;
  nldtotrc(&scratch_, trace_, 0, component_, line, level_, kEventGeneral, 0, message, "%s%s", first, second);
}

}  // namespace kelnl::diagnostics
