// Pushing entries: the argument text encoding and the common push.
#include <algorithm>
#include <cstring>

#include "errors/error_stack_internal.h"

namespace kelnl::errors {
namespace {

constexpr std::uint32_t kLengthFieldBytes = sizeof(std::uint16_t);
constexpr std::uint32_t kLengthFieldMask = 0xFFFF;

std::size_t FormatDecimal(std::uint32_t number, char (&digits)[10]) {
  char reversed[10];
  std::size_t count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  for (std::size_t i = 0; i < count; ++i) digits[i] = reversed[count - 1 - i];
  return count;
}

}  // namespace

// A text_used beyond the area (a record damaged by its caller) leaves no room rather than
// letting the writer run past the stack.
ArgumentWriter::ArgumentWriter(NlErrorStack* stack)
    : start_(stack->arg_text + std::min<std::uint32_t>(stack->text_used, NL_ERROR_ARG_TEXT_BYTES)),
      room_(NL_ERROR_ARG_TEXT_BYTES - std::min<std::uint32_t>(stack->text_used, NL_ERROR_ARG_TEXT_BYTES)) {}

void ArgumentWriter::Number(std::uint32_t number) {
  char digits[10];
  Text(digits, FormatDecimal(number, digits));
}

void ArgumentWriter::Text(const char* bytes, std::size_t length) {
  ++count_;
  if (!fits_) return;
  if (length > room_ - used_ || kLengthFieldBytes > room_ - used_ - length) {
    fits_ = false;
    return;
  }
  // The length field is in machine byte order, as the readers of the record expect.
  const auto field = static_cast<std::uint16_t>(length);
  std::memcpy(start_ + used_, &field, kLengthFieldBytes);
  if (length != 0) std::memcpy(start_ + used_ + kLengthFieldBytes, bytes, length);
  used_ += kLengthFieldBytes + static_cast<std::uint32_t>(length);
}

void ArgumentWriter::FromList(std::int32_t count, va_list* list) {
  for (std::int32_t i = 0; i < count; ++i) {
    if (va_arg(*list, std::int32_t) == NL_ERROR_ARG_NUMBER) {
      Number(va_arg(*list, std::uint32_t));
      continue;
    }
    const std::uint32_t length = va_arg(*list, std::uint32_t) & kLengthFieldMask;
    const char* bytes = va_arg(*list, const char*);
    // A null text with a length would have to be read; store it as an empty argument instead.
    Text(bytes, bytes == nullptr ? 0 : length);
  }
}

void PushEntry(NlErrorStack* stack, std::uint32_t facility, std::uint32_t error, std::int32_t kind,
               const NlOsErrorRecord* os_error, const ArgumentWriter* arguments) {
  if (stack->depth < 0 || stack->depth >= NL_ERROR_STACK_ENTRIES) return;
  NlErrorEntry& entry = stack->entries[stack->depth];
  entry.kind = kind;
  entry.facility = facility;
  entry.error = error;
  entry.os_error = os_error != nullptr ? *os_error : NlOsErrorRecord{0, 0, 0};
  entry.arg_count = arguments != nullptr ? arguments->count() : 0;
  entry.arg_length = arguments != nullptr ? arguments->length() : 0;
  entry.arg_offset = stack->text_used;
  stack->text_used += entry.arg_length;
  ++stack->depth;
}

void PushEntryFromList(NlErrorStack* stack, std::uint32_t facility, std::uint32_t error, std::int32_t kind,
                       std::int32_t count, va_list* list) {
  ArgumentWriter arguments(stack);
  arguments.FromList(count, list);
  PushEntry(stack, facility, error, kind, nullptr, &arguments);
}

}  // namespace kelnl::errors
