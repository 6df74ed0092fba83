#include "diagnostics/float_digits.h"

#include <charconv>
#include <cmath>

namespace kelnl::diagnostics {

SignificantDigits DigitsOf(double value, int count) {
  SignificantDigits result{};
  result.count = count;
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) {
    for (int i = 0; i < count; ++i) result.digits[i] = '0';
    result.point = 0;
    return result;
  }
  // Scientific text "d.ddde+XX" rounded to `count` significant digits: the digits are the
  // mantissa without its point, and the point follows from the exponent.
  char text[kMaxSignificantDigits + 16];
  const auto converted =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, count - 1);
  const char* cursor = text;
  int produced = 0;
  while (cursor != converted.ptr && *cursor != 'e') {
    if (*cursor != '.') result.digits[produced++] = *cursor;
    ++cursor;
  }
  result.digits[produced] = '\0';
  int exponent = 0;
  if (cursor != converted.ptr) {
    ++cursor;
    if (*cursor == '+') ++cursor;
    std::from_chars(cursor, converted.ptr, exponent);
  }
  result.point = exponent + 1;
  return result;
}

std::size_t FixedText(double value, int decimals, char (&text)[kFixedTextCapacity]) {
  const auto converted =
      std::to_chars(text, text + kFixedTextCapacity, std::fabs(value), std::chars_format::fixed, decimals);
  return static_cast<std::size_t>(converted.ptr - text);
}

}  // namespace kelnl::diagnostics
