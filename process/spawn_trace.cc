#include "process/spawn_trace.h"

#include "diagnostics/trace_config.h"
#include "kelnl/nltrmsg.h"

namespace kelnl::process {
namespace {

// Spawning is rare and its steps are what an administrator looks for when a server does not come up.
constexpr std::uint32_t kTraceLevel = 6;
constexpr int kEventGeneral = 1;

}  // namespace

SpawnTrace::SpawnTrace(NlGlobalContext* context, std::uint32_t component) : component_(component) {
  NlTraceContext* trace = context != nullptr ? context->trace : nullptr;
  if (kelnl::diagnostics::TraceIsOn(trace)) trace_ = trace;
}

void SpawnTrace::Entry(std::uint32_t line) {
  if (trace_ == nullptr) return;
  nldtotrc(&scratch_, trace_, 0, component_, line, kTraceLevel, kEventGeneral, 0, NLTR_ENTRY, "");
}

void SpawnTrace::Exit(std::uint32_t line, std::int32_t result) {
  if (trace_ == nullptr) return;
  nldtotrc(&scratch_, trace_, 0, component_, line, kTraceLevel, kEventGeneral, 0, NLTR_EXIT_RESULT, "%d",
           static_cast<int>(result));
}

void SpawnTrace::Text(std::uint32_t line, std::uint32_t message, const char* text) {
  if (trace_ == nullptr) return;
  nldtotrc(&scratch_, trace_, 0, component_, line, kTraceLevel, kEventGeneral, 0, message, "%s", text);
}

void SpawnTrace::Field(std::uint32_t line, const char* keyword, const char* value) {
  if (trace_ == nullptr) return;
  nldtotrc(&scratch_, trace_, 0, component_, line, kTraceLevel, kEventGeneral, 0, NLTR_ADDRESS_FIELD, "%s%s",
           keyword, value);
}

}  // namespace kelnl::process
