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
  // that stop[] does not mark, and moving past such a run. A run is empty while characters are
  // given back. stop[] must mark the carriage return, so that its rule applies, and NUL: the
  // buffered characters are always followed by a NUL, which ends the scan without a bounds test
  // on every character (a NUL inside the text merely ends a run early).
  std::size_t RunLength(const bool* stop) const {
    if (pushed_count_ > 0) return 0;
    return static_cast<std::size_t>(RunEnd(position_, stop) - position_);
  }
  // The first character at or after from, a buffered one, that stop[] marks (the NUL behind the
  // buffered characters at the latest).
  static const char* RunEnd(const char* from, const bool* stop) {
    // Four characters a step; each is looked at only when those before it did not stop the run.
    const auto stops = [stop](const char* at) { return stop[static_cast<unsigned char>(*at)]; };
    const char* p = from;
    while (!stops(p)) {
      if (stops(p + 1)) return p + 1;
      if (stops(p + 2)) return p + 2;
      if (stops(p + 3)) return p + 3;
      p += 4;
    }
    return p;
  }
  const char* RunStart() const { return position_; }
  // Where the buffered characters end (the NUL behind them).
  const char* BufferEnd() const { return end_; }
  void Skip(std::size_t count) { position_ += count; }
  // Where c, which Next() just returned, stands in the buffer; null when it came from elsewhere
  // (given back, or a line end made of two characters). A token that starts there and ends
  // within the buffer can be taken from it in place instead of being gathered character by
  // character.
  const char* TakenInPlace(int c) const {
    const bool in_place = pushed_count_ == 0 && position_ > begin_ && static_cast<unsigned char>(position_[-1]) == c;
    return in_place ? position_ - 1 : nullptr;
  }
  // The character count places past the current position is buffered (not the end of the buffer).
  bool Buffered(std::size_t count) const { return count < static_cast<std::size_t>(end_ - position_); }

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

  const char* begin_;  // the buffer, or the string
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
  static constexpr std::uint32_t kBufferCharacters = 16384;
  char buffer_[kBufferCharacters + 1];  // and the NUL behind the characters read
};

}  // namespace kelnl

#endif
