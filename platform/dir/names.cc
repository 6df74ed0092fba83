#include "platform/dir/names.h"

#include <cstdint>

namespace kelnl::dir {

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsNameSeparator(char c) { return c == ',' || c == '+' || c == '='; }

// The 6-bit value of a base64 digit, or -1.
int Base64Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::size_t NormalizeName(std::string_view name, char* out) {
  std::size_t length = 0;
  std::size_t pending_spaces = 0;
  // At the start and right after a separator, spaces are insignificant.
  bool after_separator = true;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (c == ' ') {
      ++pending_spaces;
      continue;
    }
    const bool escaped_pair = c == '\\' && i + 1 < name.size();
    const bool separator = !escaped_pair && IsNameSeparator(c);
    if (!separator && !after_separator) {
      for (; pending_spaces > 0; --pending_spaces) out[length++] = ' ';
    }
    pending_spaces = 0;
    out[length++] = LowerAscii(c);
    if (escaped_pair) {
      // An escaped character is part of the value, even a separator or a space.
      out[length++] = LowerAscii(name[++i]);
    }
    after_separator = separator;
  }
  return length;
}

bool DecodeBase64(std::string_view text, char* out, std::size_t* out_length) {
  *out_length = 0;
  if (text.size() % 4 != 0) return false;
  std::size_t written = 0;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    int padding = 0;
    std::uint32_t bits = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const char c = text[i + k];
      int digit = Base64Digit(c);
      if (c == '=' && last && k >= 2) {
        ++padding;
        digit = 0;
      } else if (digit < 0 || padding > 0) {
        return false;  // not a digit, or a digit after padding
      }
      bits = bits << 6 | static_cast<std::uint32_t>(digit);
    }
    out[written++] = static_cast<char>(bits >> 16 & 0xFF);
    if (padding < 2) out[written++] = static_cast<char>(bits >> 8 & 0xFF);
    if (padding < 1) out[written++] = static_cast<char>(bits & 0xFF);
  }
  *out_length = written;
  return true;
}

}  // namespace kelnl::dir
