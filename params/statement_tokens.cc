// The statement reader's tokens: names, and the values after '=' with their quotes, escapes,
// parenthesised lists and continuation lines.
#include <cctype>
#include <cstring>

#include "kelnl/nlerrors.h"
#include "params/statement_reader.h"
#include "params/statement_scanning.h"

namespace kelnl {

// A name that ends inside the buffer is taken where it stands (most names do); one that may go
// on past the buffer's end is gathered. On return c is the character after the name.
bool StatementReader::TakeName(ParameterSource& source, int& c, TokenText& name) {
  if (const char* start = source.TakenInPlace(c)) {
    const std::size_t run = source.RunLength(not_name_char_);
    if (source.Buffered(run)) {
      source.Skip(run);
      name = TokenText{start, static_cast<std::uint32_t>(run + 1)};
      c = source.Next();
      return true;
    }
  }
  if (!token_.Begin()) return false;
  do {
    if (!token_.Append(static_cast<char>(c)) || !KeepRun(source, not_name_char_, true)) return false;
    c = source.Next();
  } while (c != kEndOfInput && name_char_[c]);
  name = TokenText{nullptr, token_.Finish()};
  return true;
}

// Texts of the same length.
bool StatementReader::SameText(const TokenText& token, const char* text, std::uint32_t length,
                               bool case_sensitive) const {
  if (token.in_place == nullptr) return token_.Equals(text, length, case_sensitive);
  for (std::uint32_t i = 0; i < length; ++i) {
    const auto a = static_cast<unsigned char>(token.in_place[i]);
    const auto b = static_cast<unsigned char>(text[i]);
    if (a != b && (case_sensitive || std::tolower(a) != std::tolower(b))) return false;
  }
  return true;
}

void StatementReader::CopyToken(const TokenText& token, char* destination) const {
  if (token.in_place == nullptr) {
    token_.CopyTo(destination);
  } else {
    std::memcpy(destination, token.in_place, token.length);
  }
}

// The usual value: ordinary characters to the end of its line, where the next line starts the
// next statement, all within the buffer. It is then taken where it stands, and the source moves
// past its line end, exactly as ReadValue would leave it. c is the value's first character.
bool StatementReader::TakePlainValue(ParameterSource& source, int c, TokenText& value) {
  if (c == kEndOfInput || kValueStops[static_cast<unsigned char>(c)]) return false;
  const char* start = source.TakenInPlace(c);
  if (start == nullptr) return false;
  const std::size_t run = source.RunLength(kValueStops.data());
  // The line end and the first character of the next line must be buffered; a carriage return
  // there might make that line empty, and blanks, '#' or an empty line continue the value.
  if (!source.Buffered(run + 1) || source.RunStart()[run] != '\n') return false;
  const int next = static_cast<unsigned char>(source.RunStart()[run + 1]);
  if (IsBlank(next) || next == '\n' || next == '#' || next == '\r') return false;
  source.Skip(run + 1);
  value = TokenText{start, static_cast<std::uint32_t>(run + 1)};
  return true;
}

// The usual statement, `name = value` within one line, with the first character of the next
// line buffered too: one name that is no include, a plain value (as TakePlainValue takes it) and
// nothing but blanks around the '='. It is found in one pass over the buffer, and the source
// moves past its line end only when all of it is such; anything else (a newline, a second name,
// a carriage return, the buffer's end) is left to the general reading, which takes it from c
// as if this had not looked. In lookup mode the wanted name is left to it too. c is the name's
// first character.
bool StatementReader::TakeSimpleStatement(ParameterSource& source, int c, TokenText& name, TokenText& value) {
  if (c == kEndOfInput || !name_char_[c]) return false;
  const char* start = source.TakenInPlace(c);
  if (start == nullptr) return false;
  const char* name_end = NameRunEnd(source.RunStart(), source.BufferEnd(), not_name_char_, ascii_names_);
  const auto name_length = static_cast<std::uint32_t>(name_end - start);
  if (name_length == 5) return false;  // perhaps ifile, in any case
  if ((table_->flags & NLPA_LOOKUP_MODE) != 0 &&
      TokenEquals(TokenText{start, name_length}, lookup_.name, lookup_.length,
                  (table_->flags & NLPA_CASE_SENSITIVE) != 0)) {
    return false;
  }
  const char* p = name_end;
  while (IsBlank(*p)) ++p;
  if (*p != '=') return false;
  do ++p; while (IsBlank(*p));
  if (kValueStops[static_cast<unsigned char>(*p)]) return false;
  const char* value_start = p;
  p = ValueRunEnd(p, source.BufferEnd());
  // The newline and the next line's first character must be buffered ones, not the NUL behind.
  if (*p != '\n' || !source.Buffered(static_cast<std::size_t>(p + 1 - source.RunStart()))) return false;
  const int next = static_cast<unsigned char>(p[1]);
  if (IsBlank(next) || next == '\n' || next == '#' || next == '\r') return false;
  source.Skip(static_cast<std::size_t>(p + 1 - source.RunStart()));
  name = TokenText{start, name_length};
  value = TokenText{value_start, static_cast<std::uint32_t>(p - value_start)};
  return true;
}

// Gathers the value after '=', whose first character c is. Returns kContinue when the value
// ended at a line that starts the next statement, kEndSource when the input ended, and kStop
// when the input ended before any value began (or memory ran out, with exhausted_ set).
StatementReader::Outcome StatementReader::ReadValue(ParameterSource& source, int c) {
  if (!token_.Begin()) return OutOfMemory();
  if (c == kEndOfInput) {
    Push(NLE_PARAM_UNEXPECTED_END);
    return Outcome::kStop;
  }
  int quote = 0;   // 0, '\'' or '"'
  int depth = 0;   // parenthesis depth; negative after an unmatched ')'
  bool plain = false;  // set by text at depth 0: parentheses are then ordinary characters
  bool at_end = false;
  auto keep = [&](int ch) { return depth < 0 || token_.Append(static_cast<char>(ch)); };

  for (;;) {
    if (c == kEndOfInput) {
      at_end = true;
      break;
    }
    if (quote == 0 && IsBlank(c)) {
      do c = source.Next(); while (IsBlank(c));
      const bool dropped = c == '#' || c == '\n' || c == kEndOfInput || (depth > 0 && c == ')');
      if (!dropped && !keep(' ')) return OutOfMemory();
      continue;
    }
    if (quote == 0 && c == '#') {
      c = SkipLine(source, c);
      continue;
    }
    if (quote == 0 && c == '\n') {
      // The next line's first character decides whether the value goes on.
      const int next = source.Next();
      if (IsBlank(next) || next == '\n' || next == '#' || (next == ')' && depth == 1)) {
        c = next;
        continue;
      }
      if (next == kEndOfInput) {
        at_end = true;
      } else {
        source.PushBack(next);
      }
      break;
    }
    if (c == '\\') {
      const int next = source.Next();
      if (next == kEndOfInput) {
        at_end = true;
        break;
      }
      if (!IsEscapable(next) && !keep('\\')) return OutOfMemory();
      if (!keep(next)) return OutOfMemory();
      if (quote == 0 && depth == 0) plain = true;
    } else if (quote != 0) {
      if (c == quote) {
        if (c == '\'' && !keep(c)) return OutOfMemory();  // single quotes stay in the value
        quote = 0;
      } else if (!keep(c) ||
                 !KeepRun(source, quote == '"' ? kDoubleQuotedStops.data() : kSingleQuotedStops.data(), depth >= 0)) {
        return OutOfMemory();
      }
    } else if (c == '\'' || c == '"') {
      quote = c;
      if (c == '\'' && !keep(c)) return OutOfMemory();
    } else if (!plain && c == '(') {
      if (depth >= 0) {
        if (!keep(c)) return OutOfMemory();
        ++depth;
      }
    } else if (!plain && c == ')') {
      if (!keep(c)) return OutOfMemory();
      --depth;
    } else {
      if (!keep(c) || !KeepRun(source, kValueStops.data(), depth >= 0)) return OutOfMemory();
      if (depth == 0) plain = true;
    }
    c = source.Next();
  }

  if (depth != 0) Push(NLE_PARAM_BAD_LIST);
  if (at_end && (quote != 0 || depth > 0)) Push(NLE_PARAM_UNEXPECTED_END);
  return at_end ? Outcome::kEndSource : Outcome::kContinue;
}

}  // namespace kelnl
