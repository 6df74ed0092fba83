#include "params/parameter_source.h"

#include <cstdint>
#include <cstring>

#include "kelnl/snlf.h"

namespace kelnl {

ParameterSource::ParameterSource(const char* text) : position_(text), end_(text + std::strlen(text)) {}

ParameterSource::ParameterSource(std::FILE* file, NlOsErrorRecord* os_error)
    : position_(buffer_), end_(buffer_), file_(file), os_error_(os_error) {}

int ParameterSource::AfterCarriageReturn() {
  const int next = Raw();
  if (next == '\n') return next;
  if (next != kEndOfInput) PushBack(next);
  return '\r';
}

int ParameterSource::Refill() {
  if (file_ == nullptr) return kEndOfInput;
  std::uint32_t count = 0;
  if (snlfrd(os_error_, file_, buffer_, sizeof buffer_, &count) != 0 || count == 0) {
    file_ = nullptr;  // the end of a source is final
    return kEndOfInput;
  }
  position_ = buffer_;
  end_ = buffer_ + count;
  return static_cast<unsigned char>(*position_++);
}

}  // namespace kelnl
