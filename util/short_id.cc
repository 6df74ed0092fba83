// The short identifier: process id and clock, each most significant byte first.
#include "diagnostics/operation_trace.h"
#include "kelnl/nltrmsg.h"
#include "kelnl/nlui.h"
#include "kelnl/snlpc.h"
#include "platform/core/core.h"

namespace {

void StoreBigEndian(std::uint32_t value, std::uint8_t* out) {
  out[0] = static_cast<std::uint8_t>(value >> 24);
  out[1] = static_cast<std::uint8_t>(value >> 16);
  out[2] = static_cast<std::uint8_t>(value >> 8);
  out[3] = static_cast<std::uint8_t>(value);
}

}  // namespace

extern "C" void nlidg8(NlGlobalContext* context, uint8_t* out) {
  kelnl::diagnostics::OperationTrace trace(context, NLTR_COMPONENT_SHORT_ID);
  trace.Entry(__LINE__);
  if (out != nullptr) {
    NlOsErrorRecord os_error{};
    std::uint32_t process_id = 0;
    snlpcgpid(&os_error, &process_id);
    SlCoreError core_error{};
    StoreBigEndian(process_id, out);
    StoreBigEndian(sltmgcs(&core_error), out + 4);
  }
  trace.Exit(__LINE__);
}
