// One parsed conversion of the formatter and the padding of its field, shared by the integer and
// the floating conversions.
#ifndef KELNL_DIAGNOSTICS_PRINT_FIELD_H
#define KELNL_DIAGNOSTICS_PRINT_FIELD_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "diagnostics/print_format.h"

namespace kelnl::diagnostics {

inline constexpr int kPrecisionLimit = 32;

struct Directive {
  bool left = false;       // "-"
  bool zero = false;       // "0", dropped once "-" is seen
  bool plus = false;       // "+"
  bool blank = false;      // " "
  bool alternate = false;  // "#"
  int width = 0;           // 0 or negative: no padding
  int precision = -1;      // -1: none given
  bool short_length = false;  // "h"
  char conversion = '\0';
};

// Collects the produced text and its count for the conversions.
class FieldWriter {
 public:
  explicit FieldWriter(FormatSink& sink) : sink_(sink) {}

  void Put(std::string_view text);
  void Repeat(char character, std::size_t times);
  // Writes prefix (sign or radix marker) and body padded to the directive's width: zeros go between
  // prefix and body, blanks in front, or behind when left-justified.
  void Field(const Directive& directive, std::string_view prefix, std::string_view body, bool zero_padding);
  std::int32_t produced() const { return produced_; }

 private:
  FormatSink& sink_;
  std::int32_t produced_ = 0;
};

// The sign text of a signed conversion: "-", or "+" / " " as the flags ask for a non-negative value.
std::string_view SignText(const Directive& directive, bool negative);

// e E f g G on one double argument.
void WriteFloating(const Directive& directive, double value, FieldWriter& writer);

}  // namespace kelnl::diagnostics

#endif
