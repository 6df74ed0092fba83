// Decimal digits of a double, as the formatter's floating conversions need them: a fixed count of
// significant digits with the position of the decimal point, or the fixed-notation text with a
// fixed count of decimals. Both round to nearest exactly and never depend on the locale.
#ifndef KELNL_DIAGNOSTICS_FLOAT_DIGITS_H
#define KELNL_DIAGNOSTICS_FLOAT_DIGITS_H

#include <cstddef>
#include <cstdint>

namespace kelnl::diagnostics {

// Longest significant-digit request; the formatter caps precisions at 32, and "e" asks for one more.
inline constexpr int kMaxSignificantDigits = 33;
// Room for the fixed text of any finite double with 32 decimals: 309 integer digits, a point.
inline constexpr std::size_t kFixedTextCapacity = 400;

struct SignificantDigits {
  char digits[kMaxSignificantDigits + 1];  // `count` digits, terminated
  int count;
  // Digits before the decimal point: the value is 0.<digits> times ten to the power point.
  // Zero reports 0.
  int point;
};

// The first `count` (1 to kMaxSignificantDigits) significant digits of |value|, rounded; value
// must be finite.
SignificantDigits DigitsOf(double value, int count);

// The fixed-notation text of |value| with `decimals` (0 to 32) digits after the point and no
// point when there are none; value must be finite. Returns the text's length.
std::size_t FixedText(double value, int decimals, char (&text)[kFixedTextCapacity]);

}  // namespace kelnl::diagnostics

#endif
