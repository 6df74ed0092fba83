// Parses parenthesised name-value text into a binding tree.
#ifndef KELNL_PLATFORM_NV_PARSER_H
#define KELNL_PLATFORM_NV_PARSER_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/nv/binding.h"

namespace kelnv {

// Parses exactly one binding, with optional white space around it, from text. Returns kOk and
// the new root in *result, or an NLNV_ERROR_* code with the offset of the fault in
// *error_offset; a failure leaves nothing allocated. Runs without recursion.
std::int32_t ParseText(std::string_view text, Binding** result, std::size_t* error_offset);

}  // namespace kelnv

#endif
