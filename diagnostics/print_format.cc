// The formatter's walk over the format: flags, width, precision, length letter and the
// conversion, and the integer, character and string conversions.
#include "diagnostics/print_format.h"

#include <climits>
#include <cstring>

#include "diagnostics/print_field.h"

namespace kelnl::diagnostics {

void FieldWriter::Put(std::string_view text) {
  if (text.empty()) return;
  sink_.Put(text.data(), text.size());
  const auto room = static_cast<std::size_t>(INT32_MAX - produced_);
  produced_ = text.size() >= room ? INT32_MAX : produced_ + static_cast<std::int32_t>(text.size());
}

void FieldWriter::Repeat(char character, std::size_t times) {
  char run[64];
  std::memset(run, character, sizeof run);
  while (times > 0) {
    const std::size_t piece = times < sizeof run ? times : sizeof run;
    Put(std::string_view(run, piece));
    times -= piece;
  }
}

void FieldWriter::Field(const Directive& directive, std::string_view prefix, std::string_view body,
                        bool zero_padding) {
  const std::size_t length = prefix.size() + body.size();
  const std::size_t width = directive.width > 0 ? static_cast<std::size_t>(directive.width) : 0;
  const std::size_t padding = width > length ? width - length : 0;
  if (directive.left) {
    Put(prefix);
    Put(body);
    Repeat(' ', padding);
  } else if (zero_padding) {
    Put(prefix);
    Repeat('0', padding);
    Put(body);
  } else {
    Repeat(' ', padding);
    Put(prefix);
    Put(body);
  }
}

std::string_view SignText(const Directive& directive, bool negative) {
  if (negative) return "-";
  if (directive.plus) return "+";
  if (directive.blank) return " ";
  return {};
}

namespace {

bool IsDigit(char character) { return character >= '0' && character <= '9'; }

// Decimal digits of the format; a number too large for an int stays at INT_MAX.
int ReadNumber(const char*& cursor) {
  int number = 0;
  for (; IsDigit(*cursor); ++cursor) {
    const int digit = *cursor - '0';
    number = number > (INT_MAX - digit) / 10 ? INT_MAX : number * 10 + digit;
  }
  return number;
}

// Flags, width, precision and length letter; leaves the cursor on the conversion character.
Directive ParseDirective(const char*& cursor, FormatArguments& arguments) {
  Directive directive;
  for (;; ++cursor) {
    const char flag = *cursor;
    if (flag == '-') {
      directive.left = true;
      directive.zero = false;
    } else if (flag == '0') {
      directive.zero = !directive.left;
    } else if (flag == '+') {
      directive.plus = true;
    } else if (flag == ' ') {
      directive.blank = true;
    } else if (flag == '#') {
      directive.alternate = true;
    } else {
      break;
    }
  }
  if (*cursor == '*') {
    directive.width = arguments.NextInt();
    ++cursor;
  } else {
    directive.width = ReadNumber(cursor);
  }
  if (*cursor == '.') {
    ++cursor;
    if (*cursor == '*') {
      // A negative precision from the arguments counts as none given, as if the "." were absent.
      directive.precision = arguments.NextInt();
      if (directive.precision < 0) directive.precision = -1;
      ++cursor;
    } else {
      directive.precision = ReadNumber(cursor);
    }
    if (directive.precision > kPrecisionLimit) directive.precision = kPrecisionLimit;
  }
  if (*cursor == 'h' || *cursor == 'l' || *cursor == 'L') {
    directive.short_length = *cursor == 'h';
    ++cursor;
  }
  directive.conversion = *cursor;
  return directive;
}

// The magnitude's digits in `radix`, at least `minimum` of them; produced least significant first
// into the end of the work area, so the text starts where the last digit went.
std::string_view Digits(std::uint64_t magnitude, unsigned radix, bool upper, int minimum, char (&work)[64]) {
  const char* symbols = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char* end = work + sizeof work;
  char* start = end;
  // At least one digit even for a zero value with precision 0: "0" is never printed as nothing.
  do {
    *--start = symbols[magnitude % radix];
    magnitude /= radix;
  } while (magnitude != 0);
  while (end - start < minimum) *--start = '0';
  return std::string_view(start, static_cast<std::size_t>(end - start));
}

void WriteInteger(const Directive& directive, FormatArguments& arguments, FieldWriter& writer) {
  const char conversion = directive.conversion;
  std::uint64_t magnitude = 0;
  bool negative = false;
  if (conversion == 'p') {
    magnitude = arguments.NextPointer();
  } else {
    const std::int32_t argument = arguments.NextInt();
    if (conversion == 'd' || conversion == 'i') {
      const std::int32_t value = directive.short_length ? static_cast<std::int16_t>(argument) : argument;
      negative = value < 0;
      magnitude = negative ? 0u - static_cast<std::uint64_t>(static_cast<std::int64_t>(value))
                           : static_cast<std::uint64_t>(value);
    } else {
      const auto bits = static_cast<std::uint32_t>(argument);
      magnitude = directive.short_length ? (bits & 0xFFFFu) : bits;
    }
  }
  const bool hexadecimal = conversion == 'x' || conversion == 'X' || conversion == 'p';
  const unsigned radix = conversion == 'o' ? 8 : hexadecimal ? 16 : 10;
  char work[64];
  const std::string_view digits = Digits(magnitude, radix, conversion != 'x', directive.precision, work);

  std::string_view prefix;
  if (conversion == 'd' || conversion == 'i') {
    prefix = SignText(directive, negative);
  } else if (directive.alternate && conversion == 'o') {
    // An octal text that already starts with 0 (a zero value, or precision zeros) needs no marker.
    if (digits.front() != '0') prefix = "0";
  } else if (directive.alternate && magnitude != 0) {
    // A zero value gets no radix marker, so that "#x" of 0 reads 0 and not 0x0.
    prefix = conversion == 'x' ? "0x" : conversion == 'X' ? "0X" : conversion == 'p' ? "0p" : "";
  }
  // A precision fixes the digit count, so the width is made up with blanks.
  writer.Field(directive, prefix, digits, directive.zero && directive.precision < 0);
}

void WriteString(const Directive& directive, FormatArguments& arguments, FieldWriter& writer) {
  const char* text = arguments.NextString();
  if (text == nullptr) text = "(null)";
  std::size_t length = 0;
  // Never reads beyond the precision: the text need not be terminated within it.
  const bool limited = directive.precision >= 0;
  while ((!limited || length < static_cast<std::size_t>(directive.precision)) && text[length] != '\0') ++length;
  writer.Field(directive, {}, std::string_view(text, length), directive.zero);
}

void WriteConversion(const Directive& directive, FormatArguments& arguments, FieldWriter& writer) {
  switch (directive.conversion) {
    case 'd': case 'i': case 'u': case 'o': case 'x': case 'X': case 'p':
      WriteInteger(directive, arguments, writer);
      return;
    case 's':
      WriteString(directive, arguments, writer);
      return;
    case 'c': {
      // A zero character contributes no text, only the padding of the whole width.
      const char character = static_cast<char>(arguments.NextInt());
      writer.Field(directive, {}, std::string_view(&character, character == '\0' ? 0 : 1), directive.zero);
      return;
    }
    case 'e': case 'E': case 'f': case 'g': case 'G':
      WriteFloating(directive, arguments.NextDouble(), writer);
      return;
    case 'n':
      if (std::int32_t* count = arguments.NextCount()) *count = writer.produced();
      return;
    default:
      writer.Field(directive, {}, std::string_view(&directive.conversion, 1), directive.zero);
      return;
  }
}

}  // namespace

std::int32_t FormatText(const char* format, FormatArguments& arguments, FormatSink& sink) {
  FieldWriter writer(sink);
  if (format == nullptr) return 0;
  const char* cursor = format;
  while (*cursor != '\0') {
    const char* plain = cursor;
    while (*cursor != '\0' && *cursor != '%') ++cursor;
    writer.Put(std::string_view(plain, static_cast<std::size_t>(cursor - plain)));
    if (*cursor == '\0') break;
    ++cursor;
    const Directive directive = ParseDirective(cursor, arguments);
    // A format that ends inside a conversion ends the formatting; the "%" is dropped.
    if (directive.conversion == '\0') break;
    WriteConversion(directive, arguments, writer);
    ++cursor;
  }
  return writer.produced();
}

}  // namespace kelnl::diagnostics
