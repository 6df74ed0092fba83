// nlerpestk: the whole stack printed to a stream.
#include <cstddef>

#include "kelnl/nlds.h"
#include "kelnl/nler.h"

namespace {
constexpr std::size_t kPrintBufferBytes = 1023;
}

// Runs inside signals that find no frame, so it stays C-like: nothing with a destructor.
extern "C" int32_t nlerpestk(NlErrorStack* stack, NlDiagStream* stream) {
  if (stack == nullptr) return 0;
  NlDiagStream* const target = stream != nullptr ? stream : stack->print_stream;
  if (target == nullptr) return 0;
  char text[kPrintBufferBytes];
  nlerbem(stack, 1, text, sizeof text, nullptr);
  // A failed write shows in the flush that follows; the flush result is the one reported.
  nldsfprintf(nullptr, target, "%s", text);
  return nldsflush(nullptr, target);
}
