// nlolgcman: a connection manager entry as its three parameters: the end-point address text, the
// parameter list (name_profile) and the rule list (name_rules).
#include "diagnostics/operation_trace.h"
#include "kelnl/nltrmsg.h"
#include "params/directory_session.h"

namespace kelnl::params {
namespace {

struct ManagerPairs {
  NlolPair* address;
  NlolPair* profile;
  NlolPair* rules;
};

// The rules entry below the connection manager: its rule1 to rule32 in that order. A missing
// rules entry leaves the pair without value; any other failure of the directory fails.
std::int32_t ReadRules(NlolEntry* manager, const char* entry_name, char* const* values, NlolPair* rules) {
  DirectoryText name;
  name.Append("cn=").Append(values[0]).Append(",").Append(entry_name);
  if (name.failed()) return NLOL_NO_MEMORY;
  NlolEntry entry{manager->directory, nullptr};
  char rules_entry_name[kEntryNameSize];
  const std::int32_t read = ReadEntry(&entry, name.view().data(), nullptr, kRulesTable, rules_entry_name);
  if (read == dir::kDirectoryEntryNotFound) return NLOL_OK;
  if (read != 0) return EntryOutcome(read);
  DirectoryText list;
  list.Append("(rule_list=");
  std::int32_t result = NLOL_OK;
  for (std::uint32_t row = 1; row < kRulesTable.rows && result == NLOL_OK; ++row) {
    if (ProducesNoParameter(kRulesTable.parameters[row])) continue;
    char** rule = nullptr;
    result = GetValues(&entry, kRulesTable.attributes[row], &rule);
    list.AppendValues(rule);
  }
  ReleaseEntry(&entry);
  list.Append(")");
  if (result == NLOL_OK) {
    char* value = list.Take();
    if (value == nullptr) return NLOL_NO_MEMORY;
    SetPairValue(rules, value);
  }
  return result;
}

// One parenthesised item per attribute; the trace level is written as tracing, the name the
// connection manager reads it under, and each param_list value is an item of its own.
void AppendItem(std::string_view parameter, char* const* values, DirectoryText* items) {
  if (parameter == "param_list") {
    for (char* const* value = values; *value != nullptr; ++value) items->Append("(").Append(*value).Append(")");
    return;
  }
  const std::string_view keyword = parameter == "trace_level" ? "tracing" : parameter;
  items->Append("(").Append(keyword).Append("=").AppendValues(values).Append(")");
}

std::int32_t SetAddress(NlolEntry* entry, const char* entry_name, char* const* values, NlolPair* pair) {
  char* value = nullptr;
  const std::int32_t result = BuildAddressValue(entry->directory, values, entry_name, &value);
  if (result == NLOL_OK) SetPairValue(pair, value);
  return result;
}

}  // namespace
}  // namespace kelnl::params

extern "C" int32_t nlolgcman(NlGlobalContext* context, const char* name, NlolPair*** pairs, uint32_t* count,
                             NlolEntry* entry, const char* entry_name) {
  using namespace kelnl::params;
  kelnl::diagnostics::OperationTrace trace(context, NLTR_COMPONENT_DIRECTORY_MANAGER);
  trace.Entry(__LINE__);
  if (name == nullptr || pairs == nullptr || count == nullptr || *count < 3 || entry == nullptr ||
      entry_name == nullptr) {
    return trace.Exit(__LINE__, NLOL_FAILED);
  }
  const ManagerPairs manager{(*pairs)[*count - 3], (*pairs)[*count - 2], (*pairs)[*count - 1]};
  DirectoryText items;
  std::int32_t result = NLOL_OK;
  for (std::uint32_t row = 1; row < kConnectionManagerTable.rows && result == NLOL_OK; ++row) {
    const std::string_view parameter = kConnectionManagerTable.parameters[row];
    if (ProducesNoParameter(parameter)) continue;
    char** values = nullptr;
    result = GetValues(entry, kConnectionManagerTable.attributes[row], &values);
    if (result != NLOL_OK || values == nullptr || values[0] == nullptr) continue;
    if (parameter == "end_point_list") {
      result = SetAddress(entry, entry_name, values, manager.address);
    } else if (parameter == "rule") {
      result = ReadRules(entry, entry_name, values, manager.rules);
    } else {
      AppendItem(parameter, values, &items);
    }
  }
  if (result == NLOL_OK && items.failed()) result = NLOL_NO_MEMORY;
  if (result == NLOL_OK && items.length() > 0) {
    DirectoryText list;
    list.Append("(parameter_list=").Append(items.view()).Append(")");
    char* value = list.Take();
    if (value == nullptr) result = NLOL_NO_MEMORY;
    if (value != nullptr) SetPairValue(manager.profile, value);
  }
  return trace.Exit(__LINE__, result);
}
