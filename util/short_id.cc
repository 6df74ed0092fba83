// The short identifier: process id and clock, each most significant byte first.
#include "diagnostics/trace_config.h"
#include "kelnl/nldt.h"
#include "kelnl/nltrmsg.h"
#include "kelnl/nlui.h"
#include "kelnl/snlpc.h"
#include "platform/core/core.h"

namespace {

// Entry and exit of small operations are detail a developer asks for, not an administrator.
constexpr std::uint32_t kTraceLevel = 15;
constexpr int kEventGeneral = 1;

void StoreBigEndian(std::uint32_t value, std::uint8_t* out) {
  out[0] = static_cast<std::uint8_t>(value >> 24);
  out[1] = static_cast<std::uint8_t>(value >> 16);
  out[2] = static_cast<std::uint8_t>(value >> 8);
  out[3] = static_cast<std::uint8_t>(value);
}

void TraceStep(NlTraceContext* trace, std::uint32_t line, std::uint32_t message) {
  // The trace's own failures are of no concern to a caller that gets no errors back.
  NlPrimaryErrorRecord scratch{};
  nldtotrc(&scratch, trace, 0, NLTR_COMPONENT_SHORT_ID, line, kTraceLevel, kEventGeneral, 0, message, "");
}

}  // namespace

extern "C" void nlidg8(NlGlobalContext* context, uint8_t* out) {
  NlTraceContext* trace = context != nullptr ? context->trace : nullptr;
  const bool traced = kelnl::diagnostics::TraceIsOn(trace);
  if (traced) TraceStep(trace, __LINE__, NLTR_ENTRY);
  if (out != nullptr) {
    NlOsErrorRecord os_error{};
    std::uint32_t process_id = 0;
    snlpcgpid(&os_error, &process_id);
    SlCoreError core_error{};
    StoreBigEndian(process_id, out);
    StoreBigEndian(sltmgcs(&core_error), out + 4);
  }
  if (traced) TraceStep(trace, __LINE__, NLTR_EXIT);
}
