// nlolgserv: a net service name entry as the connect descriptor a names file would hold.
#include "diagnostics/operation_trace.h"
#include "kelnl/nltrmsg.h"
#include "params/directory_session.h"

namespace {

// The stored descriptor text when the entry has one, else the text built from the description
// entries it names. An entry with neither describes no service: that fails, as a missing entry
// would, rather than handing out an empty descriptor.
std::int32_t ServiceDescriptor(NlolEntry* entry, const char* entry_name, char** descriptor) {
  using namespace kelnl::params;
  char** values = nullptr;
  std::int32_t result = GetValues(entry, kDescStringAttribute, &values);
  if (result != NLOL_OK) return result;
  if (values != nullptr && values[0] != nullptr) {
    DirectoryText text;
    text.AppendValues(values);
    *descriptor = text.Take();
    return *descriptor != nullptr ? NLOL_OK : NLOL_NO_MEMORY;
  }
  result = GetValues(entry, kDescNameAttribute, &values);
  if (result != NLOL_OK) return result;
  if (values == nullptr || values[0] == nullptr) return NLOL_FAILED;
  return BuildAddressValue(entry->directory, values, entry_name, descriptor);
}

}  // namespace

extern "C" int32_t nlolgserv(NlGlobalContext* context, const char* name, NlolPair*** pairs, uint32_t* count,
                             NlolEntry* entry, const char* entry_name) {
  using namespace kelnl::params;
  kelnl::diagnostics::OperationTrace trace(context, NLTR_COMPONENT_DIRECTORY_SERVICE);
  trace.Entry(__LINE__);
  if (name == nullptr || pairs == nullptr || count == nullptr || *count < 1 || entry == nullptr ||
      entry_name == nullptr) {
    return trace.Exit(__LINE__, NLOL_FAILED);
  }
  char* descriptor = nullptr;
  const std::int32_t result = ServiceDescriptor(entry, entry_name, &descriptor);
  if (result == NLOL_OK) SetPairValue((*pairs)[*count - 1], descriptor);
  return trace.Exit(__LINE__, result);
}
