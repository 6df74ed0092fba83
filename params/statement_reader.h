// The parameter-file grammar: statements `name, name = value` with comments, continuation lines,
// quotes, escapes, parenthesised lists and include statements, read into a table or searched for
// one name (lookup mode).
#ifndef KELNL_PARAMS_STATEMENT_READER_H
#define KELNL_PARAMS_STATEMENT_READER_H

#include <cstdint>

#include "kelnl/nlfn.h"
#include "kelnl/nlpa.h"
#include "params/parameter_source.h"
#include "params/parameter_store.h"
#include "params/text_chunks.h"

namespace kelnl {

// What the caller of a read asked for in lookup mode, and where the value goes.
struct LookupRequest {
  const char* name = nullptr;
  std::uint32_t length = 0;
  char** value_slot = nullptr;
  std::uint32_t* value_size = nullptr;
};

// Include statements: a file that includes itself k times at each level would be read about k^4
// times within the depth limit. Reading a file again at the same depth, right after the same
// include with nothing stored in between, changes nothing (every name gets the value it already
// has, in the order it already has), so such a repeat is skipped unless it would add error codes
// to a record that still has room for them. What remains: includes of one file separated by
// statements that store something are all read, up to the depth limit of 4.
class StatementReader {
 public:
  // errors is the reader's private record; the table's flags say lookup mode, case
  // sensitivity, local file and command line.
  StatementReader(NlParameterTable* table, NlPrimaryErrorRecord* errors, const LookupRequest& lookup);
  ~StatementReader();
  StatementReader(const StatementReader&) = delete;
  StatementReader& operator=(const StatementReader&) = delete;

  // Reads the file the descriptor names (its must-exist flag as given) at the current include
  // depth, recording its name. Pushes 405 when it cannot be located or opened.
  void ReadFile(const NlFileNameDesc& descriptor);
  // Reads a NUL-terminated string as a complete source.
  void ReadString(const char* text);

  // Lookup mode: the wanted name was met (reading is over).
  bool found() const { return found_; }
  // Memory ran out: reading is over, what was stored stays.
  bool exhausted() const { return exhausted_; }

 private:
  enum class Outcome { kContinue, kEndSource, kStop };
  // A name or value read: where it stands in the source's buffer, or null when it was gathered
  // in the token. The token's chunks are there for text of any length, across buffer refills,
  // escapes and continuation lines; text that ends inside the buffer needs none of that and is
  // copied once from there into its record, as a gathered one would be from the chunks.
  struct TokenText {
    const char* in_place = nullptr;
    std::uint32_t length = 0;
  };

  Outcome ReadSource(ParameterSource& source);
  Outcome ReadStatement(ParameterSource& source, int c);
  Outcome ReadNames(ParameterSource& source, int& c, bool& include, bool& wanted);
  bool TakeName(ParameterSource& source, int& c, TokenText& name);
  bool TakePlainValue(ParameterSource& source, int c, TokenText& value);
  bool TakeSimpleStatement(ParameterSource& source, int c, TokenText& name, TokenText& value);
  Outcome ReadValue(ParameterSource& source, int c);
  Outcome SkipToEquals(ParameterSource& source, int& c);
  bool TokenEquals(const TokenText& token, const char* text, std::uint32_t length, bool case_sensitive) const {
    return token.length == length && SameText(token, text, length, case_sensitive);
  }
  bool SameText(const TokenText& token, const char* text, std::uint32_t length, bool case_sensitive) const;
  void CopyToken(const TokenText& token, char* destination) const;
  Outcome Store(const TokenText& text);
  Outcome Include(std::uint32_t length);
  bool RepeatsLastInclude(std::uint32_t length) const;
  void RememberInclude(char* name, std::uint32_t length, bool pushed);
  Outcome Deliver(std::uint32_t length);
  bool KeepName(const TokenText& name);
  bool KeepRun(ParameterSource& source, const bool* stop, bool keep);
  void DropPendingNames();
  void RecordFileName(const char* name, std::uint32_t length);
  void Push(std::int32_t code);
  Outcome OutOfMemory();

  NlParameterTable* table_;
  NlPrimaryErrorRecord* errors_;
  LookupRequest lookup_;
  TokenGatherer token_;
  bool regression_;
  bool found_ = false;
  bool exhausted_ = false;
  std::uint32_t statements_stored_ = 0;

  // The include read last (its name is owned), with the depth it was read at, how many
  // statements had been stored when it ended, and whether its reading pushed any error.
  struct LastInclude {
    char* name = nullptr;
    std::uint32_t length = 0;
    std::int32_t depth = 0;
    std::uint32_t stored = 0;
    bool pushed = false;
  } last_include_;

  CaseFolding folding_;
  FoldedNameHash newest_name_{};  // of the name kept last
  // Names run over what the C runtime classes as letters, digits or punctuation, in the locale
  // the caller runs in, so these are taken once per read.
  bool name_char_[256];
  bool not_name_char_[256];
  bool ascii_names_;  // every character from '!' to '~' but '=' and ',' is a name character
};

}  // namespace kelnl

#endif
