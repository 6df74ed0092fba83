// nlolgprof: a profile entry as the parameters of a profile file.
#include <cstring>

#include "diagnostics/operation_trace.h"
#include "kelnl/nltrmsg.h"
#include "params/directory_session.h"

namespace kelnl::params {
namespace {

// Values name=value become parameters of their own; a value without '=' names nothing and is
// left out.
std::int32_t PutNamedValues(NlolPair*** pairs, std::uint32_t* count, char* const* values, bool replace) {
  for (char* const* value = values; value != nullptr && *value != nullptr; ++value) {
    const char* equals = std::strchr(*value, '=');
    if (equals == nullptr) continue;
    const std::int32_t result =
        PutPair(pairs, count, std::string_view(*value, static_cast<std::size_t>(equals - *value)), equals + 1, replace);
    if (result != NLOL_OK) return result;
  }
  return NLOL_OK;
}

// Each value names an authentication-parameters entry below the profile's entry.
std::int32_t PutAuthentication(NlolEntry* profile, const char* entry_name, char* const* values, NlolPair*** pairs,
                               std::uint32_t* count, bool replace) {
  std::int32_t result = NLOL_OK;
  for (char* const* value = values; *value != nullptr && result == NLOL_OK; ++value) {
    DirectoryText name;
    name.Append(*value).Append(",").Append(entry_name);
    if (name.failed()) return NLOL_NO_MEMORY;
    NlolEntry entry{profile->directory, nullptr};
    char auth_entry_name[kEntryNameSize];
    result = EntryOutcome(ReadEntry(&entry, name.view().data(), nullptr, kAuthenticationTable, auth_entry_name));
    if (result != NLOL_OK) return result;
    char** parameters = nullptr;
    result = GetValues(&entry, kAuthParamsAttribute, &parameters);
    if (result == NLOL_OK) result = PutNamedValues(pairs, count, parameters, replace);
    ReleaseEntry(&entry);
  }
  return result;
}

std::int32_t ConvertRow(NlolEntry* entry, const char* entry_name, std::string_view parameter, char* const* values,
                        NlolPair*** pairs, std::uint32_t* count, bool replace) {
  if (parameter == "param_list") return PutNamedValues(pairs, count, values, replace);
  if (parameter == "auth_list") return PutAuthentication(entry, entry_name, values, pairs, count, replace);
  DirectoryText name;
  DirectoryText value;
  name.Append(parameter);
  if (values[1] == nullptr) {
    value.Append(values[0]);
  } else {
    value.Append("(").AppendValues(values, ",").Append(")");
  }
  return PutPair(pairs, count, name, value, replace);
}

}  // namespace
}  // namespace kelnl::params

extern "C" int32_t nlolgprof(NlGlobalContext* context, const char* name, NlolPair*** pairs, uint32_t* count,
                             NlolEntry* entry, const char* entry_name, int32_t replace) {
  using namespace kelnl::params;
  kelnl::diagnostics::OperationTrace trace(context, NLTR_COMPONENT_DIRECTORY_PROFILE);
  trace.Entry(__LINE__);
  if (name == nullptr || pairs == nullptr || count == nullptr || entry == nullptr || entry_name == nullptr) {
    return trace.Exit(__LINE__, NLOL_FAILED);
  }
  std::int32_t result = NLOL_OK;
  for (std::uint32_t row = 1; row < kProfileTable.rows && result == NLOL_OK; ++row) {
    const std::string_view parameter = kProfileTable.parameters[row];
    // The shared profile was read before this one, by nlolgobj; its name is no parameter.
    if (ProducesNoParameter(parameter) || parameter == "shared_profile") continue;
    char** values = nullptr;
    result = GetValues(entry, kProfileTable.attributes[row], &values);
    if (result == NLOL_OK && values != nullptr && values[0] != nullptr) {
      result = ConvertRow(entry, entry_name, parameter, values, pairs, count, replace != 0);
    }
  }
  return trace.Exit(__LINE__, result);
}
