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

  Outcome ReadSource(ParameterSource& source);
  Outcome ReadStatement(ParameterSource& source, int c);
  Outcome ReadNames(ParameterSource& source, int& c, bool& include, bool& wanted);
  Outcome ReadValue(ParameterSource& source);
  Outcome SkipToEquals(ParameterSource& source, int& c);
  Outcome Store(std::uint32_t length);
  Outcome Include(std::uint32_t length);
  bool RepeatsLastInclude(std::uint32_t length) const;
  void RememberInclude(char* name, std::uint32_t length, bool pushed);
  Outcome Deliver(std::uint32_t length);
  bool KeepName(std::uint32_t length);
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
  bool name_char_[256];
  bool not_name_char_[256];
  // Characters with a meaning of their own in a value outside quotes, and inside each quote.
  bool value_special_[256];
  bool single_quoted_special_[256];
  bool double_quoted_special_[256];
};

}  // namespace kelnl

#endif
