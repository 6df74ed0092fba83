#include "params/parameter_source.h"

#include <cstdint>
#include <cstring>

#include "kelnl/snlf.h"
#include "platform/os/os.h"

namespace kelnl {

ParameterSource::ParameterSource(const char* text) : begin_(text), position_(text), end_(text + std::strlen(text)) {}

ParameterSource::ParameterSource(std::FILE* file, NlOsErrorRecord* os_error, std::uint64_t limit)
    : begin_(buffer_),
      position_(buffer_),
      end_(buffer_),
      file_(file),
      os_error_(os_error),
      limit_(limit),
      join_line_ends_(!os::kTextStreamsJoinLineEnds) {
  buffer_[0] = '\0';
}

// Only the carriage return directly before a newline belongs to the line end. The character
// after this one is looked at now; another carriage return is given back unread, so that its
// own successor decides about it in turn.
int ParameterSource::AfterCarriageReturn() {
  const int next = Raw();
  if (next == '\n') return next;
  if (next == '\r') {
    PushBack(kUnreadCarriageReturn);
  } else if (next != kEndOfInput) {
    PushBack(next);
  }
  return '\r';
}

int ParameterSource::SkipLine() {
  for (;;) {
    if (pushed_count_ > 0) {
      const int c = Next();
      if (c == '\n' || c == kEndOfInput) return c;
      continue;
    }
    const auto* newline = static_cast<const char*>(std::memchr(position_, '\n', static_cast<std::size_t>(end_ - position_)));
    if (newline != nullptr) {
      position_ = newline + 1;
      return '\n';
    }
    position_ = end_;
    const int c = Refill();
    if (c == '\n' || c == kEndOfInput) return c;
  }
}

int ParameterSource::Refill() {
  if (file_ == nullptr) return kEndOfInput;
  if (limit_ != 0 && read_ >= limit_) {
    cut_ = true;
    file_ = nullptr;
    return kEndOfInput;
  }
  std::uint32_t count = 0;
  if (snlfrd(os_error_, file_, buffer_, kBufferCharacters, &count) != 0 || count == 0) {
    // The end of a source is final. A failed read may have written over the buffer, its NUL too.
    file_ = nullptr;
    position_ = end_ = buffer_;
    buffer_[0] = '\0';
    return kEndOfInput;
  }
  read_ += count;
  position_ = buffer_;
  end_ = buffer_ + count;
  buffer_[count] = '\0';
  return static_cast<unsigned char>(*position_++);
}

}  // namespace kelnl
