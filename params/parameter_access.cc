// Reading, walking, setting and releasing parameter tables.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "kelnl/nlerrors.h"
#include "kelnl/nlpa.h"
#include "params/list_elements.h"
#include "params/parameter_store.h"
#include "params/record_arena.h"
#include "params/regression_side_file.h"
#include "params/spelling_index.h"
#include "platform/core/allocator.h"
#include "platform/core/core.h"

namespace kelnl {
namespace {

constexpr std::int32_t kKindNoMemory = 8;
constexpr std::int32_t kKindOther = 4;
constexpr std::int32_t kSetMode = 1;

std::int32_t Push(NlPrimaryErrorRecord* record, std::int32_t code) {
  return nlepepe(record, 1, code, code == NLE_PARAM_NO_MEMORY ? kKindNoMemory : kKindOther);
}

// The binding a getter uses: the newest spelling, or with case-sensitive names the exact one.
std::int32_t FindBinding(NlPrimaryErrorRecord* record, NlParameterTable* table, const char* name,
                         std::uint32_t length, NlParamBinding** found) {
  bool out_of_memory = false;
  NlParamEntry* entry = FindEntry(table, name, length, &out_of_memory);
  if (out_of_memory) return Push(record, NLE_PARAM_NO_MEMORY);
  if (entry == nullptr) return Push(record, NLE_PARAM_NOT_FOUND);
  NlParamBinding* binding = entry->bindings;
  if ((table->flags & NLPA_CASE_SENSITIVE) != 0) {
    binding = FindSpelling(table, entry, name, length);
    if (binding == nullptr) return Push(record, NLE_PARAM_NOT_FOUND);
  }
  *found = binding;
  return 0;
}

bool StartsWithWord(const char* text, const char* word) {
  return lstmclo(text, word, std::strlen(word)) == 0;
}

}  // namespace
}  // namespace kelnl

using kelnl::Push;

extern "C" {

int32_t nlpagsp(NlPrimaryErrorRecord* record, NlParameterTable* table, const char* name, uint32_t name_length,
                int32_t index, char** value, uint32_t* value_length) {
  if (value != nullptr) *value = nullptr;
  if (table == nullptr) return Push(record, NLE_PARAM_NULL_TABLE);
  NlParamBinding* binding = nullptr;
  if (const int32_t code = kelnl::FindBinding(record, table, name, name_length, &binding)) return code;
  NlParamValue* found = binding->value;
  const char* text = found->text;
  uint32_t length = found->text_length;
  if (index == 0 || found->text[0] != '(') {
    if (index != 0 && index != 1) return Push(record, NLE_PARAM_BAD_LIST);
  } else {
    if (const int32_t code = kelnl::SplitListValue(table, found)) return Push(record, code);
    if (index < 0 || static_cast<uint32_t>(index) > found->element_count) return Push(record, NLE_PARAM_BAD_LIST);
    text = kelnl::ListElement(found, static_cast<uint32_t>(index), &length);
  }
  if (value != nullptr) *value = const_cast<char*>(text);
  if (value_length != nullptr) *value_length = length;
  return 0;
}

int32_t nlpagip(NlPrimaryErrorRecord* record, NlParameterTable* table, const char* name, uint32_t name_length,
                int32_t index, int32_t* number) {
  char* text = nullptr;
  uint32_t length = 0;
  if (const int32_t code = nlpagsp(record, table, name, name_length, index, &text, &length)) return code;
  // An element is terminated in the element buffer, a whole value in its text: strtol stops there.
  if (number != nullptr) *number = static_cast<int32_t>(std::strtol(text, nullptr, 10));
  return 0;
}

int32_t nlpagup(NlPrimaryErrorRecord* record, NlParameterTable* table, const char* name, uint32_t name_length,
                int32_t index, int32_t* number) {
  return nlpagip(record, table, name, name_length, index, number);
}

int32_t nlpagbp(NlPrimaryErrorRecord* record, NlParameterTable* table, const char* name, uint32_t name_length,
                int32_t index, int32_t* boolean) {
  char* text = nullptr;
  uint32_t length = 0;
  if (const int32_t code = nlpagsp(record, table, name, name_length, index, &text, &length)) return code;
  // Only the first characters matter, so "online" is on and "nothing" is no.
  int32_t result;
  if (text[0] == '0' || kelnl::StartsWithWord(text, "false") || kelnl::StartsWithWord(text, "off") ||
      kelnl::StartsWithWord(text, "no")) {
    result = 0;
  } else if (text[0] == '1' || kelnl::StartsWithWord(text, "true") || kelnl::StartsWithWord(text, "on") ||
             kelnl::StartsWithWord(text, "yes")) {
    result = 1;
  } else {
    return Push(record, NLE_PARAM_NOT_BOOLEAN);
  }
  if (boolean != nullptr) *boolean = result;
  return 0;
}

int32_t nlpagvc(NlPrimaryErrorRecord* record, NlParameterTable* table, const char* name, uint32_t name_length,
                uint32_t* count) {
  if (table == nullptr) return Push(record, NLE_PARAM_NULL_TABLE);
  if (count != nullptr) *count = 0;
  NlParamBinding* binding = nullptr;
  if (const int32_t code = kelnl::FindBinding(record, table, name, name_length, &binding)) return code;
  NlParamValue* value = binding->value;
  if (value->text[0] != '(') return Push(record, NLE_PARAM_BAD_LIST);
  // A malformed list still reports the elements counted before the fault.
  if (kelnl::SplitListValue(table, value) == NLE_PARAM_NO_MEMORY) return Push(record, NLE_PARAM_NO_MEMORY);
  if (count != nullptr) *count = value->element_count;
  return 0;
}

int32_t nlpafind(NlPrimaryErrorRecord* record, NlParameterTable* table, const char* name, uint32_t name_length,
                 const char* wanted, uint32_t wanted_length) {
  uint32_t count = 0;
  const int32_t counted = nlpagvc(record, table, name, name_length, &count);
  if (counted != 0 && counted != NLE_PARAM_BAD_LIST) return counted;
  if (count == 0) count = 1;  // a plain value is its own one element
  for (uint32_t index = 1; index <= count; ++index) {
    char* element = nullptr;
    uint32_t length = 0;
    const int32_t code = nlpagsp(record, table, name, name_length, static_cast<int32_t>(index), &element, &length);
    if (code != 0) return code;
    if (length == wanted_length && lstmclo(element, wanted, length) == 0) return 0;
  }
  return NLE_PARAM_NO_MATCH;
}

int32_t nlpaseq(NlPrimaryErrorRecord* record, NlParameterTable* table, int32_t* state, char** name, char** value) {
  if (table == nullptr) return Push(record, NLE_PARAM_NULL_TABLE);
  // The walk's position lives in the table: the slot cursor and the next binding to hand out.
  if (*state < 1) {
    table->cursor = 0;
    table->pending_names = nullptr;
  }
  auto* binding = static_cast<NlParamBinding*>(table->pending_names);
  while (binding == nullptr) {
    auto* entry = static_cast<NlParamEntry*>(nlhthseq(table->index, &table->cursor));
    if (entry == nullptr) {
      *state = 0;
      if (value != nullptr) *value = nullptr;
      return 0;
    }
    binding = entry->bindings;
  }
  if (name != nullptr) *name = binding->name;
  if (value != nullptr) *value = binding->value->text;
  *state = 1;
  table->pending_names = (table->flags & NLPA_CASE_SENSITIVE) != 0 ? binding->next : nullptr;
  return 0;
}

int32_t nlpassp(NlPrimaryErrorRecord* record, NlParameterTable* table, int32_t mode, const char* name,
                uint32_t name_length, const char* value, uint32_t value_length) {
  if (table == nullptr) return Push(record, NLE_PARAM_NULL_TABLE);
  if (mode != kelnl::kSetMode) return Push(record, NLE_PARAM_REFUSED);
  NlParamBinding* binding = kelnl::NewParamBinding(table, name, name_length);
  NlParamValue* stored = kelnl::NewParamValue(table, value, value_length);
  int32_t code = binding == nullptr || stored == nullptr ? NLE_PARAM_NO_MEMORY : 0;
  if (code == 0) code = kelnl::StoreBinding(table, binding, stored, kelnl::RegressionSideFileWanted());
  if (code == 0) return 0;
  // Either record may be missing when its allocation was the one that failed.
  if (binding != nullptr) kelnl::ReleaseBinding(table, binding);
  if (stored != nullptr) kelnl::ReleaseValueReference(table, stored);
  return Push(record, code);
}

int32_t nlpacas(NlPrimaryErrorRecord* record, NlParameterTable* table, int32_t case_sensitive) {
  if (table == nullptr) return Push(record, NLE_PARAM_NULL_TABLE);
  if (case_sensitive != 0) {
    table->flags |= NLPA_CASE_SENSITIVE;
  } else {
    table->flags &= ~NLPA_CASE_SENSITIVE;
  }
  return 0;
}

int32_t nlpainf(NlPrimaryErrorRecord* record, NlParameterTable* table, NlParamFileReport* report) {
  if (table == nullptr) return Push(record, NLE_PARAM_NULL_TABLE);
  if (report == nullptr) return 0;
  report->first_name_length = table->first_name_length;
  report->second_name_length = table->second_name_length;
  report->third_name_length = table->third_name_length;
  std::memcpy(report->first_file_name, table->first_file_name, NLPA_FILE_NAME_CAPACITY);
  std::memcpy(report->second_file_name, table->second_file_name, NLPA_FILE_NAME_CAPACITY);
  std::memcpy(report->third_file_name, table->third_file_name, NLPA_FILE_NAME_CAPACITY);
  return 0;
}

int32_t nlpadmp(NlPrimaryErrorRecord* record, NlParameterTable* table) {
  if (table == nullptr) return Push(record, NLE_PARAM_NULL_TABLE);
  int32_t cursor = 0;
  while (nlhthseq(table->index, &cursor) != nullptr) {
  }
  return 0;
}

void nlpatrm(NlPrimaryErrorRecord*, NlParameterTable** table_slot) {
  if (table_slot == nullptr || *table_slot == nullptr) return;
  kelnl::TearDownParameterTable(*table_slot);
  *table_slot = nullptr;
}

}  // extern "C"
