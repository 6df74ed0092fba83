// nlpains: reading a parameter file and command-line parameter strings into a table, or
// looking one parameter up without building a table.
#include <cstdlib>
#include <cstring>

#include "kelnl/nlerrors.h"
#include "kelnl/nlpa.h"
#include "params/hash_table.h"
#include "params/parameter_store.h"
#include "params/record_arena.h"
#include "params/statement_reader.h"
#include "params/text_chunks.h"
#include "platform/core/allocator.h"
#include "platform/core/core.h"

namespace kelnl {
namespace {

constexpr std::int32_t kKindNoMemory = 8;
constexpr std::int32_t kKindOther = 4;
constexpr std::uint32_t kOptionBits =
    NLPA_LOOKUP_MODE | NLPA_CREATE_ONLY | NLPA_CASE_SENSITIVE | NLPA_LOCAL_FILE | NLPA_COMMAND_LINE;

bool IsIncludeString(const char* text) { return lstmclo(text, "ifile", 5) == 0; }

// Include strings sort before all others; the order among equals does not matter.
int IncludesFirst(const void* a, const void* b) {
  const bool a_include = IsIncludeString(*static_cast<char* const*>(a));
  const bool b_include = IsIncludeString(*static_cast<char* const*>(b));
  return static_cast<int>(b_include) - static_cast<int>(a_include);
}

NlParameterTable* NewTable(NlPrimaryErrorRecord* record, bool lookup) {
  auto* table = static_cast<NlParameterTable*>(AllocateZeroed(1, kTableAllocationBytes));
  if (table != nullptr && lookup) {
    table->flags = NLPA_RELEASE_RECORD;
  } else if (table != nullptr) {
    table->index = nlhthnew(nlhthskey, nlhthteq);
    if (table->index == nullptr) {
      Release(table);
      table = nullptr;
    }
  }
  if (table == nullptr) nlepepe(record, 1, NLE_PARAM_NO_MEMORY, kKindNoMemory);
  return table;
}

// A missing parameter file is no error when command-line strings are given.
void ForgiveMissingFile(NlPrimaryErrorRecord* errors) {
  if (errors->count == 0 || errors->errors[errors->count - 1].error != NLE_PARAM_FILE_NOT_OPENED) return;
  errors->count -= 1;
  errors->errors[errors->count] = NlErrorSlot{0, 0, 0};
}

void ReadCommandLine(StatementReader& reader, NlParameterTable* table, NlPrimaryErrorRecord* errors,
                     std::int32_t argc, char** argv) {
  const auto count = static_cast<std::size_t>(argc);
  auto** sorted = static_cast<char**>(Allocate(count * sizeof(char*)));
  if (sorted == nullptr) {
    nlepepe(errors, 1, NLE_PARAM_NO_MEMORY, kKindNoMemory);
    return;
  }
  std::memcpy(sorted, argv, count * sizeof(char*));
  std::qsort(sorted, count, sizeof(char*), IncludesFirst);
  ForgiveMissingFile(errors);
  table->flags |= NLPA_STRING_SOURCE;
  for (std::size_t i = 0; i < count && !reader.found() && !reader.exhausted(); ++i) {
    if (sorted[i] != nullptr) reader.ReadString(sorted[i]);
  }
  table->flags &= ~NLPA_STRING_SOURCE;
  Release(sorted);
}

// The caller's text buffer stays the caller's: only the outcome is copied.
// A caller may pass no record (nlepepe accepts none either): the code alone is then the result.
void ReplaceRecord(NlPrimaryErrorRecord* record, const NlPrimaryErrorRecord& errors) {
  if (record == nullptr) return;
  char* text = record->text;
  const std::uint8_t text_length = record->text_length;
  *record = errors;
  record->text = text;
  record->text_length = text_length;
}

}  // namespace
}  // namespace kelnl

extern "C" int32_t nlpains(NlPrimaryErrorRecord* record, NlParameterTable** table_slot, uint32_t options,
                           const NlFileNameDesc* file, const char* wanted_name, uint32_t wanted_length,
                           char** value_slot, uint32_t* value_size, int32_t argc, char** argv) {
  using namespace kelnl;
  const bool lookup = (options & NLPA_LOOKUP_MODE) != 0;
  if (table_slot == nullptr && !lookup) {
    nlepepe(record, 1, NLE_PARAM_NULL_TABLE, kKindOther);
    return NLE_PARAM_NULL_TABLE;
  }
  NlParameterTable* table = table_slot != nullptr ? *table_slot : nullptr;
  const bool made_here = table == nullptr;
  if (made_here) {
    table = NewTable(record, lookup);
    if (table == nullptr) return NLE_PARAM_NO_MEMORY;
  } else if (table->index != nullptr) {
    SetHashTableFunctions(table->index, nlhthskey, nlhthteq);
  }

  NlPrimaryErrorRecord errors{};
  bool found = false;
  if ((options & NLPA_CREATE_ONLY) == 0) {
    table->flags |= options & kOptionBits;
    StatementReader reader(table, &errors, LookupRequest{wanted_name, wanted_length, value_slot, value_size});
    if (file != nullptr) {
      NlFileNameDesc must_exist = *file;
      must_exist.flags |= NLFN_MUST_EXIST;
      reader.ReadFile(must_exist);
    }
    if (argc > 0 && argv != nullptr && !reader.found() && !reader.exhausted()) {
      ReadCommandLine(reader, table, &errors, argc, argv);
    }
    found = reader.found();
  }

  ReleaseChunks(table);
  table->flags = NLPA_READ_COMPLETE;
  table->pending_names = nullptr;
  table->string_source = nullptr;
  table->string_cursor = nullptr;
  table->cursor = 0;
  if (lookup && !found) nlepepe(record, 1, NLE_PARAM_NOT_FOUND, kKindOther);
  if (lookup && made_here) {
    TearDownParameterTable(table);
  } else if (made_here) {
    *table_slot = table;
  }
  if (errors.count < 1) return 0;
  ReplaceRecord(record, errors);
  return errors.errors[errors.count - 1].error;
}
