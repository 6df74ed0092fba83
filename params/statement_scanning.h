// Character classes and small scanning steps shared by the statement reader's files.
#ifndef KELNL_PARAMS_STATEMENT_SCANNING_H
#define KELNL_PARAMS_STATEMENT_SCANNING_H

#include <array>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "params/parameter_source.h"

namespace kelnl {

inline bool IsBlank(int c) { return c == ' ' || c == '\t'; }

// Reads to the end of the line; returns the newline (or the end of input) it stopped at.
inline int SkipLine(ParameterSource& source, int c) {
  return c == '\n' || c == kEndOfInput ? c : source.SkipLine();
}

inline int SkipBlankSpace(ParameterSource& source, int c) {
  while (IsBlank(c) || c == '\n') c = source.Next();
  return c;
}

// Characters a backslash takes literally, without their special meaning.
inline bool IsEscapable(int c) {
  return c == '\'' || c == '"' || c == '#' || c == '\\' || c == '(' || c == ')' || c == '=' || c == '\n';
}

// The characters that end a run of ordinary ones (ParameterSource::RunLength): those with a
// meaning of their own, and always the carriage return and NUL.
template <typename Special>
constexpr std::array<bool, 256> RunStops(Special special) {
  std::array<bool, 256> stops{};
  for (int c = 0; c < 256; ++c) stops[c] = c == '\0' || c == '\r' || special(c);
  return stops;
}

// In a value outside quotes, and inside each kind of quote.
inline constexpr std::array<bool, 256> kValueStops = RunStops([](int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '#' || c == '\'' || c == '"' || c == '(' || c == ')' || c == '\\';
});
// Where a run of buffered characters from p ends, as ParameterSource::RunEnd finds it, for a stop
// table whose every stop is among the characters that candidates() marks in a block of sixteen.
// Blocks without a candidate are passed in one step; from the first candidate on, the table
// decides (a candidate need not stop the run). end is where the buffered characters end: no
// block reaches past it. Without SSE2 the table decides every character.
#if defined(__SSE2__)
template <typename Candidates>
const char* BlockRunEnd(const char* p, const char* end, const bool* stop, Candidates candidates) {
  for (; end - p >= 16; p += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto marks = static_cast<unsigned>(_mm_movemask_epi8(candidates(block)));
    if (marks != 0) return ParameterSource::RunEnd(p + std::countr_zero(marks), stop);
  }
  return ParameterSource::RunEnd(p, stop);
}
inline __m128i Bytes(char c) { return _mm_set1_epi8(c); }

// Value stops are control characters below 14, the characters from ' ' to ')' and the
// backslash. Compared as signed, characters from 128 up are below 14 too, candidates as well.
inline const char* ValueRunEnd(const char* p, const char* end) {
  return BlockRunEnd(p, end, kValueStops.data(), [](__m128i b) {
    const __m128i control = _mm_cmplt_epi8(b, Bytes(14));
    const __m128i punctuation = _mm_and_si128(_mm_cmpgt_epi8(b, Bytes(' ' - 1)), _mm_cmplt_epi8(b, Bytes(')' + 1)));
    return _mm_or_si128(_mm_or_si128(control, punctuation), _mm_cmpeq_epi8(b, Bytes('\\')));
  });
}
// Names end at a character that is no letter, digit or punctuation, '=' and ','. Where every
// character from '!' to '~' but those two is a name character (ascii_names), only the others
// need a look: those up to ' ' (and, compared as signed, from 128 up), DEL, '=' and ','.
inline const char* NameRunEnd(const char* p, const char* end, const bool* stop, bool ascii_names) {
  if (!ascii_names) return ParameterSource::RunEnd(p, stop);
  return BlockRunEnd(p, end, stop, [](__m128i b) {
    const __m128i outside = _mm_or_si128(_mm_cmplt_epi8(b, Bytes('!')), _mm_cmpeq_epi8(b, Bytes(127)));
    return _mm_or_si128(outside, _mm_or_si128(_mm_cmpeq_epi8(b, Bytes('=')), _mm_cmpeq_epi8(b, Bytes(','))));
  });
}
#else
inline const char* ValueRunEnd(const char* p, const char*) { return ParameterSource::RunEnd(p, kValueStops.data()); }
inline const char* NameRunEnd(const char* p, const char*, const bool* stop, bool) {
  return ParameterSource::RunEnd(p, stop);
}
#endif

inline constexpr std::array<bool, 256> kSingleQuotedStops = RunStops([](int c) { return c == '\'' || c == '\\'; });
inline constexpr std::array<bool, 256> kDoubleQuotedStops = RunStops([](int c) { return c == '"' || c == '\\'; });

}  // namespace kelnl

#endif
