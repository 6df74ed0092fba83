// nlolglist: a listener entry as the parameters of a listener file, each suffixed with the
// listener's name.
#include <cstring>

#include "diagnostics/operation_trace.h"
#include "kelnl/nltrmsg.h"
#include "params/directory_session.h"
#include "platform/core/allocator.h"

namespace kelnl::params {
namespace {

std::int32_t PutSuffixed(NlolPair*** pairs, std::uint32_t* count, std::string_view parameter, const char* listener,
                         const DirectoryText& value) {
  DirectoryText name;
  name.Append(parameter).Append("_").Append(listener);
  return PutPair(pairs, count, name, value);
}

// Each value name=value is a parameter of its own; a value without '=' names nothing and is
// left out.
std::int32_t PutParamList(NlolPair*** pairs, std::uint32_t* count, char* const* values, const char* listener) {
  for (char* const* value = values; *value != nullptr; ++value) {
    const char* equals = std::strchr(*value, '=');
    if (equals == nullptr) continue;
    DirectoryText text;
    text.Append(equals + 1);
    const std::int32_t result =
        PutSuffixed(pairs, count, std::string_view(*value, static_cast<std::size_t>(equals - *value)), listener, text);
    if (result != NLOL_OK) return result;
  }
  return NLOL_OK;
}

std::int32_t ConvertRow(NlolEntry* entry, const char* entry_name, std::string_view parameter, char* const* values,
                        const char* listener, NlolPair*** pairs, std::uint32_t* count) {
  if (parameter == "end_point_list") {
    char* address = nullptr;
    std::int32_t result = BuildAddressValue(entry->directory, values, entry_name, &address);
    if (result == NLOL_OK) result = PutPair(pairs, count, listener, address);
    Release(address);
    return result;
  }
  if (parameter == "param_list") return PutParamList(pairs, count, values, listener);
  DirectoryText value;
  if (parameter == "sid_list") {
    value.Append("(sid_list=").AppendValues(values).Append(")");
  } else if (parameter == "passwords") {
    value.AppendValues(values, ",");
  } else {
    value.AppendValues(values);
  }
  return PutSuffixed(pairs, count, parameter, listener, value);
}

}  // namespace
}  // namespace kelnl::params

extern "C" int32_t nlolglist(NlGlobalContext* context, const char* name, NlolPair*** pairs, uint32_t* count,
                             NlolEntry* entry, const char* entry_name) {
  using namespace kelnl::params;
  kelnl::diagnostics::OperationTrace trace(context, NLTR_COMPONENT_DIRECTORY_LISTENER);
  trace.Entry(__LINE__);
  if (name == nullptr || pairs == nullptr || count == nullptr || entry == nullptr || entry_name == nullptr) {
    return trace.Exit(__LINE__, NLOL_FAILED);
  }
  std::int32_t result = NLOL_OK;
  for (std::uint32_t row = 1; row < kListenerTable.rows && result == NLOL_OK; ++row) {
    const std::string_view parameter = kListenerTable.parameters[row];
    if (ProducesNoParameter(parameter)) continue;
    char** values = nullptr;
    result = GetValues(entry, kListenerTable.attributes[row], &values);
    if (result == NLOL_OK && values != nullptr && values[0] != nullptr) {
      result = ConvertRow(entry, entry_name, parameter, values, name, pairs, count);
    }
  }
  return trace.Exit(__LINE__, result);
}
