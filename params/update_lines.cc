#include "params/update_lines.h"

#include <cctype>
#include <cstring>

namespace kelnl::params {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool StartsWithInclude(const LineRecord& record) {
  static constexpr char kInclude[] = "ifile";
  if (record.length < sizeof kInclude - 1) return false;
  for (std::size_t i = 0; i + 1 < sizeof kInclude; ++i) {
    if (std::tolower(static_cast<unsigned char>(record.line[i])) != kInclude[i]) return false;
  }
  return true;
}

void FindValue(LineRecord& record, bool starts_line) {
  const char* const text = record.line;
  const std::uint32_t length = record.length;
  const std::uint32_t first_equals_from = starts_line ? 1 : 0;
  std::uint32_t equals = length;
  for (std::uint32_t i = first_equals_from; i < length; ++i) {
    if (text[i] == '=') {
      equals = i;
      break;
    }
  }
  record.has_value = 0;
  record.name_length = 0;
  if (equals == length) return;
  for (std::uint32_t i = equals + 1; i < length; ++i) {
    if (!IsBlank(text[i])) {
      record.has_value = 1;
      record.name_length = i;
      return;
    }
  }
  std::uint32_t after_last_equals = length;
  while (text[after_last_equals - 1] != '=') --after_last_equals;
  record.name_length = after_last_equals;
}

void FindComment(LineRecord& record) {
  const char* hash = static_cast<const char*>(std::memchr(record.line, '#', record.length));
  if (hash == nullptr) {
    record.comment_start = record.length;
    record.comment_length = 0;
    return;
  }
  record.comment_start = static_cast<std::uint32_t>(hash - record.line);
  // A last line without a newline keeps its whole comment.
  std::uint32_t end = record.length;
  if (end > record.comment_start && record.line[end - 1] == '\n') --end;
  record.comment_length = end - record.comment_start;
}

}  // namespace

void ClassifyLine(LineRecord& record, bool starts_line) {
  record.parenthesis_balance = 0;
  for (std::uint32_t i = 0; i < record.length; ++i) {
    if (record.line[i] == '(') ++record.parenthesis_balance;
    if (record.line[i] == ')') --record.parenthesis_balance;
  }
  FindValue(record, starts_line);
  FindComment(record);
  record.cut = record.length == kUpdateLinePiece && record.line[kUpdateLinePiece - 1] != '\n';

  std::uint32_t first = 0;
  while (first < record.length && IsBlank(record.line[first])) ++first;
  if (first == record.length) {
    record.kind = kBlankLine;
  } else if (record.line[first] == '#') {
    record.kind = kCommentLine;
  } else if (first > 0 || !starts_line) {
    record.kind = kContinuationLine;
  } else if (StartsWithInclude(record)) {
    record.kind = kIncludeLine;
  } else if (record.has_value != 0 && record.parenthesis_balance == 0) {
    record.kind = kCompleteStatement;
  } else {
    record.kind = kStatementStart;
  }
}

}  // namespace kelnl::params
