// The characters of one parameter source: a file read in blocks through the file layer, or a
// NUL-terminated string. The end of input, or a read error, ends the source. The carriage return
// directly before a newline is dropped (any others stay), as the Windows C runtime's text mode
// does, so that a file written on either platform reads the same on both. Files read where the
// runtime does it itself are left to it: dropping again would eat a second carriage return.
#ifndef KELNL_PARAMS_PARAMETER_SOURCE_H
#define KELNL_PARAMS_PARAMETER_SOURCE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "kelnl/nlep.h"

namespace kelnl {

inline constexpr int kEndOfInput = -1;

class ParameterSource {
 public:
  // A string source: the text up to its NUL.
  explicit ParameterSource(const char* text);
  // A file source; read failures are reported into os_error (the end of a file is one). A
  // non-zero limit ends the source after about that many bytes (see cut()).
  ParameterSource(std::FILE* file, NlOsErrorRecord* os_error, std::uint64_t limit = 0);
  ParameterSource(const ParameterSource&) = delete;
  ParameterSource& operator=(const ParameterSource&) = delete;

  // The next character as an unsigned char value, or kEndOfInput.
  int Next() {
    if (pushed_count_ > 0) {
      const int c = pushed_[--pushed_count_];
      return c == kUnreadCarriageReturn ? AfterCarriageReturn() : c;
    }
    const int c = Raw();
    return c == '\r' && join_line_ends_ ? AfterCarriageReturn() : c;
  }
  // Gives one character back; the next Next() returns it. Two may be given back.
  void PushBack(int c) { pushed_[pushed_count_++] = c; }

  // Bulk scanning: the length of the run of buffered characters, from the current position,
  // that stop[] does not mark (a carriage return always ends a run, so that its rule applies),
  // and moving past such a run. A run is empty while characters are given back.
  std::size_t RunLength(const bool* stop) const {
    if (pushed_count_ > 0) return 0;
    const char* p = position_;
    while (p < end_ && !stop[static_cast<unsigned char>(*p)] && *p != '\r') ++p;
    return static_cast<std::size_t>(p - position_);
  }
  const char* RunStart() const { return position_; }
  void Skip(std::size_t count) { position_ += count; }

  // Moves past the next newline (or to the end) without looking at what lies before it: the
  // rest of a line nobody reads. Returns the newline or kEndOfInput.
  int SkipLine();

  // The source was ended at its limit, not by its end.
  bool cut() const { return cut_; }

 private:
  // A carriage return read ahead of the one before it and given back: whether it is a line end
  // is decided only when it is taken.
  static constexpr int kUnreadCarriageReturn = -2;

  int Raw() { return position_ < end_ ? static_cast<unsigned char>(*position_++) : Refill(); }
  int AfterCarriageReturn();
  int Refill();

  const char* position_;
  const char* end_;
  std::FILE* file_ = nullptr;
  NlOsErrorRecord* os_error_ = nullptr;
  int pushed_[2] = {0, 0};
  int pushed_count_ = 0;
  std::uint64_t read_ = 0;
  std::uint64_t limit_ = 0;
  bool cut_ = false;
  bool join_line_ends_ = true;
  char buffer_[16384];
};

}  // namespace kelnl

#endif
