// The line records of a parameter file update: each line of the statement being examined,
// classified so that statements can be grouped without parsing the file.
#ifndef KELNL_PARAMS_UPDATE_LINES_H
#define KELNL_PARAMS_UPDATE_LINES_H

#include <cstdint>

namespace kelnl::params {

// Lines are read in pieces of at most this many characters (the buffer holds one more).
inline constexpr std::uint32_t kUpdateLinePiece = 255;
inline constexpr std::uint32_t kUpdateLineBuffer = kUpdateLinePiece + 1;
// A statement's text, all its lines and the terminator, and its number of lines.
inline constexpr std::uint32_t kUpdateStatementBuffer = 2048;
inline constexpr int kUpdateGroupLines = 1024;

enum LineKind : std::int32_t {
  kBlankLine = 0,        // only blanks, tabs and newlines
  kCommentLine = 1,      // the first non-blank character is '#'
  kCompleteStatement = 2,  // starts in column 0, has a value, parentheses balanced
  kStatementStart = 3,   // first character neither blank nor '#'
  kContinuationLine = 4, // first non-blank, non-'#' character after column 0
  kIncludeLine = 5,      // starts with "ifile" in any case
  kEndOfFile = 6,        // nothing read
};

struct LineRecord {
  std::int32_t kind;
  std::int32_t parenthesis_balance;  // '(' minus ')' on the whole line, comments included
  std::int32_t has_value;            // a non-blank character follows an '=' not in column 0
  std::uint32_t length;
  char line[kUpdateLineBuffer];      // as read, newline kept, terminated
  // The name part is line[0, name_length): up to the first value character, or up to and
  // including the last '=' when no value follows. The comment part runs from the first '#' to
  // the end of the line, its newline excluded.
  std::uint32_t name_length;
  std::uint32_t comment_start;
  std::uint32_t comment_length;
  // The piece filled the buffer without reaching a newline: the line goes on in the next piece.
  bool cut;
};

// Classifies the piece in record.line[0, record.length). A piece that continues a cut line does
// not start at column 0: it is classified as a continuation, and an '=' at its start counts.
void ClassifyLine(LineRecord& record, bool starts_line);

}  // namespace kelnl::params

#endif
