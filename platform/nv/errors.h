// Result codes and the caller's error buffer.
#ifndef KELNL_PLATFORM_NV_ERRORS_H
#define KELNL_PLATFORM_NV_ERRORS_H

#include <cstddef>
#include <cstdint>

#include "kelnl/nlnv.h"

namespace kelnv {

constexpr std::int32_t kOk = 0;

// A short English text for a result code, never null.
const char* ResultMessage(std::int32_t code);

// Fills the caller's buffer, when there is one, and returns code, so that an operation can
// report and return in one step.
std::int32_t Report(NlnvError* error, std::int32_t code, std::size_t offset = 0);

}  // namespace kelnv

#endif
