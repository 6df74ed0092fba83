#include "diagnostics/float_digits.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

// The digits come from the C runtime's %e and %f, which round exactly. std::to_chars would do
// the same, but on Windows it drags the compiler's thread runtime DLL into kelnl8.dll, which must
// load with system DLLs alone. The locale's decimal point, whatever it is, is not kept.
namespace kelnl::diagnostics {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

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
  std::snprintf(text, sizeof text, "%.*e", count - 1, magnitude);
  const char* cursor = text;
  int produced = 0;
  for (; *cursor != '\0' && *cursor != 'e'; ++cursor) {
    if (IsDigit(*cursor) && produced < count) result.digits[produced++] = *cursor;
  }
  result.digits[produced] = '\0';
  const int exponent = *cursor == 'e' ? std::atoi(cursor + 1) : 0;
  result.point = exponent + 1;
  return result;
}

std::size_t FixedText(double value, int decimals, char (&text)[kFixedTextCapacity]) {
  const int written = std::snprintf(text, kFixedTextCapacity, "%.*f", decimals, std::fabs(value));
  std::size_t length = written < 0 ? 0 : static_cast<std::size_t>(written);
  if (length >= kFixedTextCapacity) length = kFixedTextCapacity - 1;
  for (std::size_t i = 0; i < length; ++i) {
    if (!IsDigit(text[i])) {
      text[i] = '.';
      break;
    }
  }
  return length;
}

}  // namespace kelnl::diagnostics
