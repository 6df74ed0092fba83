#include "params/statement_reader.h"

#include <cctype>
#include <cstring>

#include "kelnl/nlerrors.h"
#include "kelnl/snlf.h"
#include "params/hash_table.h"
#include "params/parameter_store.h"
#include "params/regression_side_file.h"
#include "params/statement_scanning.h"
#include "platform/core/allocator.h"
#include "platform/os/os.h"

namespace kelnl {
namespace {

constexpr int kMaximumIncludeDepth = 4;
constexpr std::uint32_t kNameBufferSize = 512;
constexpr std::uint32_t kRecordedNameLimit = NLPA_FILE_NAME_CAPACITY - 1;
constexpr std::int32_t kKindNoMemory = 8;
constexpr std::int32_t kKindOther = 4;
constexpr std::uint8_t kOperatingSystemFacility = 3;
constexpr std::uint64_t kEndlessSourceLimit = std::uint64_t{256} << 20;

}  // namespace

StatementReader::StatementReader(NlParameterTable* table, NlPrimaryErrorRecord* errors, const LookupRequest& lookup)
    : table_(table), errors_(errors), lookup_(lookup), token_(table), folding_(CaseFolding::FromRuntime()) {
  regression_ = (table->flags & NLPA_LOOKUP_MODE) == 0 && RegressionSideFileWanted();
  // '=' and ',' separate names whatever the runtime says. NUL and the carriage return are no
  // letters, digits or punctuation, so they end runs of name characters.
  for (int c = 0; c < 256; ++c) {
    name_char_[c] = (std::isalnum(c) || std::ispunct(c)) && c != '=' && c != ',';
    not_name_char_[c] = !name_char_[c];
  }
  ascii_names_ = true;
  for (int c = '!'; c <= '~'; ++c) ascii_names_ = ascii_names_ && (name_char_[c] || c == '=' || c == ',');
}

StatementReader::~StatementReader() { Release(last_include_.name); }

// Takes the run of ordinary characters that follows in the source's buffer in one step (kept
// in the token, or skipped when keep is false): most of a file is such runs.
bool StatementReader::KeepRun(ParameterSource& source, const bool* stop, bool keep) {
  const std::size_t run = source.RunLength(stop);
  if (run == 0) return true;
  if (keep && !token_.AppendRun(source.RunStart(), run)) return false;
  source.Skip(run);
  return true;
}

void StatementReader::Push(std::int32_t code) {
  nlepepe(errors_, 1, code, code == NLE_PARAM_NO_MEMORY ? kKindNoMemory : kKindOther);
}

StatementReader::Outcome StatementReader::OutOfMemory() {
  Push(NLE_PARAM_NO_MEMORY);
  exhausted_ = true;
  DropPendingNames();
  return Outcome::kStop;
}

// ---- Sources -------------------------------------------------------------------------------

void StatementReader::ReadFile(const NlFileNameDesc& descriptor) {
  char name[kNameBufferSize];
  std::uint32_t length = 0;
  NlOsErrorRecord os_error{};
  std::FILE* file = nullptr;
  if (nlfncons(&os_error, &descriptor, name, sizeof name, &length) != 0) {
    // Built again without the existence test only so that the name can be recorded.
    NlFileNameDesc anywhere = descriptor;
    anywhere.flags &= ~NLFN_MUST_EXIST;
    NlOsErrorRecord ignored{};
    if (nlfncons(&ignored, &anywhere, name, sizeof name, &length) == 0) RecordFileName(name, length);
  } else {
    RecordFileName(name, length);
    snlfohd(&os_error, SNLF_MODE_READ, name, length, &file);
  }
  if (file == nullptr) {
    Push(NLE_PARAM_FILE_NOT_OPENED);
    errors_->os_error = os_error;
    errors_->os_facility = kOperatingSystemFacility;
    return;
  }
  std::FILE* including_file = table_->file;
  table_->file = file;
  {
    // A device or pipe (/dev/zero, a terminal, a generator) may never end: it is read up to a
    // bound far above any real parameter file, a 200 MB value included. A regular file has an
    // end and is read whole.
    const std::uint64_t limit = os::IsRegularFileStream(file) ? 0 : kEndlessSourceLimit;
    ParameterSource source(file, &errors_->os_error, limit);
    ReadSource(source);
    if (source.cut()) Push(NLE_PARAM_SOURCE_WITHOUT_END);
  }
  NlOsErrorRecord ignored{};
  snlfchd(&ignored, file);
  table_->file = including_file;
}

void StatementReader::ReadString(const char* text) {
  table_->string_source = text;
  table_->string_cursor = text;
  ParameterSource source(text);
  ReadSource(source);
}

// The name fields hold 256 characters and a terminator; a longer name is recorded nowhere (such
// a file cannot be opened either).
void StatementReader::RecordFileName(const char* name, std::uint32_t length) {
  if (length > kRecordedNameLimit) return;
  char* field = nullptr;
  std::uint32_t* field_length = nullptr;
  if (table_->include_depth == 1) {
    field = table_->third_file_name, field_length = &table_->third_name_length;
  } else if ((table_->flags & NLPA_LOCAL_FILE) != 0) {
    field = table_->second_file_name, field_length = &table_->second_name_length;
  } else if (table_->include_depth == 0) {
    field = table_->first_file_name, field_length = &table_->first_name_length;
  } else {
    return;
  }
  std::memcpy(field, name, length);
  field[length] = '\0';
  *field_length = length;
}

// Statement positions: blank-led lines must be comments or empty; '#' lines and empty lines are
// skipped; anything else starts a statement. The end of input is no error.
StatementReader::Outcome StatementReader::ReadSource(ParameterSource& source) {
  Outcome outcome = Outcome::kContinue;
  while (outcome == Outcome::kContinue) {
    int c = source.Next();
    if (c == kEndOfInput) break;
    if (IsBlank(c)) {
      do c = source.Next(); while (IsBlank(c));
      if (c == kEndOfInput) break;
      if (c != '#' && c != '\n') Push(NLE_PARAM_INDENTED_LINE);
      SkipLine(source, c);
    } else if (c == '#') {
      SkipLine(source, c);
    } else if (c != '\n') {
      outcome = ReadStatement(source, c);
    }
  }
  errors_->os_error = NlOsErrorRecord{0, 0, 0};
  return outcome;
}

// ---- Statements ----------------------------------------------------------------------------

StatementReader::Outcome StatementReader::ReadStatement(ParameterSource& source, int c) {
  TokenText simple_name;
  TokenText simple_value;
  if (TakeSimpleStatement(source, c, simple_name, simple_value)) {
    if ((table_->flags & NLPA_LOOKUP_MODE) != 0) return Outcome::kContinue;  // not the name sought
    return KeepName(simple_name) ? Store(simple_value) : OutOfMemory();
  }
  bool include = false;
  bool wanted = false;
  Outcome outcome = ReadNames(source, c, include, wanted);
  if (outcome != Outcome::kContinue || c != '=') return outcome;

  c = SkipBlankSpace(source, source.Next());
  TokenText value;
  Outcome value_end = Outcome::kContinue;
  // Include names and wanted values are rare enough to take the general way only.
  if (include || wanted || !TakePlainValue(source, c, value)) {
    value_end = ReadValue(source, c);
    if (exhausted_) return Outcome::kStop;
    if (value_end == Outcome::kStop) {  // the input ended right after '=': there is no value
      DropPendingNames();
      return Outcome::kEndSource;
    }
    value = TokenText{nullptr, token_.Finish()};
  }
  if (include) {
    outcome = Include(value.length);
  } else if (wanted) {
    outcome = Deliver(value.length);
  } else if ((table_->flags & NLPA_LOOKUP_MODE) == 0) {
    outcome = Store(value);
  }
  return outcome != Outcome::kContinue ? outcome : value_end;
}

// Reads the name list. On return c is '=' when a value follows; otherwise the statement was
// dropped (c is then not '=') or the source ended.
StatementReader::Outcome StatementReader::ReadNames(ParameterSource& source, int& c, bool& include, bool& wanted) {
  const bool lookup = (table_->flags & NLPA_LOOKUP_MODE) != 0;
  const bool case_sensitive = (table_->flags & NLPA_CASE_SENSITIVE) != 0;
  for (bool first = true;; first = false) {
    if (c == kEndOfInput || !name_char_[c]) {
      DropPendingNames();
      if (c == kEndOfInput) {
        Push(NLE_PARAM_UNEXPECTED_END);
        return Outcome::kEndSource;
      }
      SkipLine(source, c);
      c = 0;
      return Outcome::kContinue;
    }
    TokenText name;
    if (!TakeName(source, c, name)) return OutOfMemory();
    if (first && TokenEquals(name, "ifile", 5, false)) {
      include = true;
    } else if (lookup && TokenEquals(name, lookup_.name, lookup_.length, case_sensitive)) {
      wanted = true;
    } else if (!lookup && !KeepName(name)) {
      return OutOfMemory();
    }
    if (include || wanted) {
      table_->flags |= include ? NLPA_INCLUDE_STATEMENT : NLPA_LOOKUP_FOUND;
      return SkipToEquals(source, c);
    }

    // Newlines may separate the names and the '=' too; anything else than ',' or '=' there
    // drops the statement together with the rest of the line it stands on.
    c = SkipBlankSpace(source, c);
    if (c == '=') return Outcome::kContinue;
    if (c == ',') {
      c = SkipBlankSpace(source, source.Next());
    } else if (c != kEndOfInput) {
      DropPendingNames();
      SkipLine(source, c);
      c = 0;
      return Outcome::kContinue;
    }
  }
}

StatementReader::Outcome StatementReader::SkipToEquals(ParameterSource& source, int& c) {
  while (c != '=') {
    if (c == kEndOfInput) {
      Push(NLE_PARAM_UNEXPECTED_END);
      return Outcome::kEndSource;
    }
    c = source.Next();
  }
  return Outcome::kContinue;
}

bool StatementReader::KeepName(const TokenText& name) {
  NlParamBinding* binding = NewParamBinding(table_, name.in_place, name.length);
  if (binding == nullptr) return false;
  if (name.in_place == nullptr) CopyToken(name, binding->name);
  binding->next = static_cast<NlParamBinding*>(table_->pending_names);
  table_->pending_names = binding;
  // The index is far larger than the cache for a large file: its slots for this name are fetched
  // now, while the value is read, rather than waited for when the statement is stored. The
  // store then takes the hash from here.
  newest_name_ = FoldedNameHash::Of(binding->name, name.length, folding_);
  if (table_->index != nullptr) PrefetchHome(table_->index, newest_name_.hash);
  return true;
}

void StatementReader::DropPendingNames() {
  auto* binding = static_cast<NlParamBinding*>(table_->pending_names);
  while (binding != nullptr) {
    NlParamBinding* next = binding->next;
    ReleaseBinding(table_, binding);
    binding = next;
  }
  table_->pending_names = nullptr;
}

// ---- What a statement does -------------------------------------------------------------------

// Binds the statement's names, last first, to one shared value.
StatementReader::Outcome StatementReader::Store(const TokenText& text) {
  NlParamValue* value = NewParamValue(table_, text.in_place, text.length);
  if (value == nullptr) return OutOfMemory();
  if (text.in_place == nullptr) CopyToken(text, value->text);
  auto* binding = static_cast<NlParamBinding*>(table_->pending_names);
  table_->pending_names = nullptr;
  std::int32_t failure = 0;
  // The newest name kept is the first stored.
  const FoldedNameHash* known = &newest_name_;
  while (binding != nullptr) {
    NlParamBinding* next = binding->next;
    if (failure == 0) failure = StoreBinding(table_, binding, value, regression_, &folding_, known);
    known = nullptr;
    if (failure != 0) ReleaseBinding(table_, binding);  // this name and the remaining ones stay unbound
    binding = next;
  }
  if (value->reference_count < 1) ReleaseValueReference(table_, value);
  statements_stored_ += 1;
  if (failure == 0) return Outcome::kContinue;
  if (failure == NLE_PARAM_NO_MEMORY) return OutOfMemory();
  Push(failure);
  return Outcome::kContinue;
}

// Reads the named file into the same table, one include level deeper.
StatementReader::Outcome StatementReader::Include(std::uint32_t length) {
  table_->flags &= ~NLPA_INCLUDE_STATEMENT;
  if (table_->include_depth >= kMaximumIncludeDepth) {
    Push(NLE_PARAM_INCLUDE_TOO_DEEP);
    return Outcome::kContinue;
  }
  if (RepeatsLastInclude(length)) return Outcome::kContinue;
  char* name = static_cast<char*>(Allocate(length + std::size_t{1}));
  if (name == nullptr) return OutOfMemory();
  token_.CopyTo(name);
  name[length] = '\0';
  const std::uint8_t count_before = errors_->count;
  const std::uint8_t overflow_before = errors_->overflow;

  // A bare base name: a relative name is taken from the current directory, used as written.
  NlFileNameDesc descriptor{};
  descriptor.base_name = name;
  descriptor.base_name_length = length;

  const std::uint32_t saved_flags = table_->flags & (NLPA_STRING_SOURCE | NLPA_READING_INCLUDE);
  const char* saved_source = table_->string_source;
  const char* saved_cursor = table_->string_cursor;
  const std::int32_t saved_lines = table_->cursor;
  table_->string_source = name;
  table_->include_depth += 1;
  table_->flags = (table_->flags & ~NLPA_STRING_SOURCE) | NLPA_READING_INCLUDE;
  ReadFile(descriptor);
  table_->include_depth -= 1;
  table_->flags = (table_->flags & ~(NLPA_STRING_SOURCE | NLPA_READING_INCLUDE)) | saved_flags;
  table_->string_source = saved_source;
  table_->string_cursor = saved_cursor;
  table_->cursor = saved_lines;
  if (found_ || exhausted_) {
    Release(name);
    return Outcome::kStop;
  }
  RememberInclude(name, length, errors_->count != count_before || errors_->overflow != overflow_before);
  return Outcome::kContinue;
}

// The include statement just read names the file read last, one level deeper than now, with
// nothing stored since; reading it again would push its errors again only into a full record.
bool StatementReader::RepeatsLastInclude(std::uint32_t length) const {
  const LastInclude& last = last_include_;
  if (last.name == nullptr || last.depth != table_->include_depth + 1 || last.stored != statements_stored_ ||
      !token_.Equals(last.name, length, true)) {
    return false;
  }
  const bool record_full = errors_->count >= NL_PRIMARY_ERROR_SLOTS && errors_->overflow != 0;
  return !last.pushed || record_full;
}

void StatementReader::RememberInclude(char* name, std::uint32_t length, bool pushed) {
  Release(last_include_.name);
  last_include_ = LastInclude{name, length, table_->include_depth + 1, statements_stored_, pushed};
}

// Lookup mode: hands the wanted value to the caller; reading is over either way.
StatementReader::Outcome StatementReader::Deliver(std::uint32_t length) {
  found_ = true;
  if (lookup_.value_slot == nullptr || lookup_.value_size == nullptr) return Outcome::kStop;
  if (*lookup_.value_size == 0) {
    char* copy = static_cast<char*>(Allocate(length + std::size_t{1}));
    if (copy == nullptr) {
      Push(NLE_PARAM_NO_MEMORY);
      return Outcome::kStop;
    }
    token_.CopyTo(copy);
    copy[length] = '\0';
    *lookup_.value_slot = copy;
  } else if (length > *lookup_.value_size) {
    // Nothing delivered, but the size slot tells the caller how much room a retry needs.
    Push(NLE_PARAM_VALUE_TOO_LONG);
    *lookup_.value_size = length;
    return Outcome::kStop;
  } else {
    token_.CopyTo(*lookup_.value_slot);
    (*lookup_.value_slot)[length] = '\0';
  }
  *lookup_.value_size = length;
  return Outcome::kStop;
}

}  // namespace kelnl
