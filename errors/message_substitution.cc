// nlersprintf: substituting argument texts into a message text.
#include <cstring>

#include "kelnl/nler.h"

namespace {

// Output bounded by a room; everything beyond it is cut.
class BoundedOutput {
 public:
  BoundedOutput(char* destination, std::size_t room) : destination_(destination), room_(room) {}

  bool full() const { return used_ == room_; }
  std::size_t used() const { return used_; }

  void Put(char c) {
    if (!full()) destination_[used_++] = c;
  }
  void Put(const char* bytes, std::size_t length) {
    if (bytes == nullptr) return;
    const std::size_t fits = length < room_ - used_ ? length : room_ - used_;
    std::memcpy(destination_ + used_, bytes, fits);
    used_ += fits;
  }
  void Terminate() { destination_[used_] = '\0'; }

 private:
  char* destination_;
  std::size_t room_;
  std::size_t used_ = 0;
};

bool IsLetterS(char c) { return c == 's' || c == 'S'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char EscapedCharacter(char c) {
  switch (c) {
    case '0': return '\0';
    case 'n': case 'N': return '\n';
    case 't': case 'T': return '\t';
    default: return c;
  }
}

}  // namespace

extern "C" size_t nlersprintf(char* destination, size_t size, const char* format, int32_t arg_count,
                              const char* const* arg_pointers, const size_t* arg_lengths) {
  if (destination == nullptr || size == 0) return 0;
  BoundedOutput out(destination, size - 1);
  auto put_argument = [&](int32_t index) {
    if (index < arg_count && arg_pointers != nullptr && arg_lengths != nullptr) {
      out.Put(arg_pointers[index], arg_lengths[index]);
    }
  };
  int32_t next_argument = 0;
  const char* p = format != nullptr ? format : "";
  while (*p != '\0' && !out.full()) {
    const char c = *p;
    if (c == '%' && p[1] == '%') {
      out.Put('%');
      p += 2;
    } else if (c == '%' && IsLetterS(p[1])) {
      put_argument(next_argument++);
      p += 2;
    } else if (c == '%' && IsDigit(p[1]) && p[2] == '!' && IsLetterS(p[3])) {
      put_argument(p[1] - '0');
      p += 4;
    } else if (c == '\\' && p[1] != '\0') {
      out.Put(EscapedCharacter(p[1]));
      p += 2;
    } else {
      // Any other character, a percent sign that starts no conversion, and a percent sign or
      // backslash at the very end are copied as they stand.
      out.Put(c);
      ++p;
    }
  }
  out.Terminate();
  return out.used();
}
