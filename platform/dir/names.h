// Text rules shared by both backends: names compared the way a directory compares them, and the
// base64 form LDIF uses for values that are not plain text.
#ifndef KELNL_PLATFORM_DIR_NAMES_H
#define KELNL_PLATFORM_DIR_NAMES_H

#include <cstddef>
#include <string_view>

namespace kelnl::dir {

// True when a and b are equal ignoring ASCII case (attribute types, object classes).
bool SameIgnoringCase(std::string_view a, std::string_view b);

// The comparison key of a distinguished name: ASCII letters lower-cased, spaces around the
// unescaped separators ',', '+' and '=' and at both ends removed. out holds at least
// name.size() bytes; the result is the key's length (never more than name.size()).
std::size_t NormalizeName(std::string_view name, char* out);

// Decodes strict base64 (padding required, no white space). out holds at least
// text.size() / 4 * 3 bytes. False for anything that is not base64.
bool DecodeBase64(std::string_view text, char* out, std::size_t* out_length);

}  // namespace kelnl::dir

#endif
