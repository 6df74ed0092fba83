// Character classes and small scanning steps shared by the statement reader's files.
#ifndef KELNL_PARAMS_STATEMENT_SCANNING_H
#define KELNL_PARAMS_STATEMENT_SCANNING_H

#include <array>

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
inline constexpr std::array<bool, 256> kSingleQuotedStops = RunStops([](int c) { return c == '\'' || c == '\\'; });
inline constexpr std::array<bool, 256> kDoubleQuotedStops = RunStops([](int c) { return c == '"' || c == '\\'; });

}  // namespace kelnl

#endif
