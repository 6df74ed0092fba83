// The floating conversions e, E, f, g and G.
#include <cmath>

#include "diagnostics/float_digits.h"
#include "diagnostics/print_field.h"

namespace kelnl::diagnostics {
namespace {

constexpr int kDefaultPrecision = 6;
constexpr int kExponentDigits = 3;

// Builds a conversion's text in a fixed area; the longest is a fixed text of a huge value.
class FloatText {
 public:
  void Add(char character) {
    if (length_ < sizeof text_) text_[length_++] = character;
  }
  void Add(std::string_view text) {
    for (char character : text) Add(character);
  }
  std::string_view view() const { return std::string_view(text_, length_); }
  std::size_t length() const { return length_; }
  char back() const { return length_ == 0 ? '\0' : text_[length_ - 1]; }
  void DropLast() { --length_; }

 private:
  char text_[kFixedTextCapacity + 16];
  std::size_t length_ = 0;
};

// "e+005", "E-012", "e+000" for zero: the sign always, at least three digits.
void AddExponent(FloatText& text, char letter, int exponent) {
  text.Add(letter);
  text.Add(exponent < 0 ? '-' : '+');
  unsigned magnitude = exponent < 0 ? static_cast<unsigned>(-exponent) : static_cast<unsigned>(exponent);
  char digits[12];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (count < kExponentDigits) digits[count++] = '0';
  while (count > 0) text.Add(digits[--count]);
}

// Removes the zeros at the end of the decimals, and the point when no decimal is left.
void TrimDecimals(FloatText& text, std::size_t point_at) {
  if (point_at >= text.length()) return;
  while (text.back() == '0') text.DropLast();
  if (text.back() == '.') text.DropLast();
}

// d.ddd followed by the exponent, from significant digits already rounded.
void AddExponential(FloatText& text, const SignificantDigits& digits, const Directive& directive, char letter,
                    bool trim) {
  text.Add(digits.digits[0]);
  const std::size_t point_at = text.length();
  if (digits.count > 1 || directive.alternate) text.Add('.');
  text.Add(std::string_view(digits.digits + 1, static_cast<std::size_t>(digits.count - 1)));
  if (trim) TrimDecimals(text, point_at);
  const bool zero = digits.digits[0] == '0';
  AddExponent(text, letter, zero ? 0 : digits.point - 1);
}

void AddFixed(FloatText& text, double value, int decimals, const Directive& directive, bool trim) {
  char fixed[kFixedTextCapacity];
  const std::size_t length = FixedText(value, decimals, fixed);
  const std::size_t point_at = text.length() + (length - static_cast<std::size_t>(decimals) - (decimals > 0 ? 1 : 0));
  text.Add(std::string_view(fixed, length));
  if (decimals == 0 && directive.alternate) text.Add('.');
  if (trim) TrimDecimals(text, point_at);
}

bool IsUpper(char conversion) { return conversion == 'E' || conversion == 'G'; }

}  // namespace

void WriteFloating(const Directive& directive, double value, FieldWriter& writer) {
  const char conversion = directive.conversion;
  const int precision = directive.precision < 0 ? kDefaultPrecision : directive.precision;
  const std::string_view sign = SignText(directive, std::signbit(value) && !std::isnan(value));
  FloatText text;
  if (!std::isfinite(value)) {
    // Infinities and NaNs have no digits to convert; they print as words, padded with blanks.
    text.Add(std::isnan(value) ? (IsUpper(conversion) ? "NAN" : "nan") : (IsUpper(conversion) ? "INF" : "inf"));
    writer.Field(directive, sign, text.view(), false);
    return;
  }
  if (conversion == 'e' || conversion == 'E') {
    AddExponential(text, DigitsOf(value, precision + 1), directive, conversion, false);
  } else if (conversion == 'f') {
    AddFixed(text, value, precision, directive, false);
  } else {
    // A precision of 0 asks for no significant digit at all; one is the least that shows a value.
    const int significant = precision == 0 ? 1 : precision;
    const SignificantDigits digits = DigitsOf(value, significant);
    const bool trim = !directive.alternate;
    if (digits.point < -4 || digits.point >= significant) {
      AddExponential(text, digits, directive, conversion == 'G' ? 'E' : 'e', trim);
    } else {
      AddFixed(text, value, significant, directive, trim);
    }
  }
  writer.Field(directive, sign, text.view(), directive.zero);
}

}  // namespace kelnl::diagnostics
