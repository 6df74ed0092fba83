// nlpagetldparam: the directory-access parameters of ldap.kel, kept as a table in the global
// context and read on first use.
#include <cstdint>
#include <cstring>

#include "context/context_lock.h"
#include "files/admin_file.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nlpa.h"

namespace {

constexpr std::int32_t kModeGet = 1;
constexpr std::int32_t kModeRelease = 2;
constexpr std::int32_t kModeSet = 3;

// The file is looked for in the administration directory under the product home alone, never
// through VQT_ADMIN: which directory server a process trusts must not follow a variable a user
// can set. The base name is written in lower case because the file is ldap.kel on disk next to
// the other parameter files; on Windows, where names ignore case, this changes nothing.
std::int32_t ReadDirectoryParameters(NlGlobalContext* context, NlPrimaryErrorRecord* errors) {
  NlFileNameDesc desc = kelnl::files::AdminFile("ldap", "kel", false);
  const std::int32_t result =
      nlpains(errors, &context->directory_parameters, 0, &desc, nullptr, 0, nullptr, nullptr, 0, nullptr);
  // A table left behind by a failed read would hide the file from every later call (a file
  // created after the first attempt, a transient read failure): only a good read is kept.
  if (result != 0) nlpatrm(errors, &context->directory_parameters);
  return result;
}

}  // namespace

extern "C" int32_t nlpagetldparam(NlGlobalContext* context, const char* name, uint32_t name_length,
                                  int32_t element_index, char** value_slot, uint32_t* value_length,
                                  int32_t mode) {
  // Unknown modes and a missing context are refused with the code nlpassp gives a bad mode.
  if (context == nullptr || (mode != kModeGet && mode != kModeRelease && mode != kModeSet)) {
    return NLE_PARAM_REFUSED;
  }
  kelnl::ContextMutexGuard guard(context, &context->context_mutex);
  NlPrimaryErrorRecord errors{};
  if (mode == kModeRelease) {
    nlpatrm(&errors, &context->directory_parameters);
    return 0;
  }
  if (context->directory_parameters == nullptr) {
    const std::int32_t result = ReadDirectoryParameters(context, &errors);
    if (result != 0) return result;
  }
  if (mode == kModeSet) {
    const char* value = value_slot != nullptr ? *value_slot : nullptr;
    const std::uint32_t length = value_length != nullptr ? *value_length : 0;
    return nlpassp(&errors, context->directory_parameters, 1, name, name_length, value, length);
  }
  return nlpagsp(&errors, context->directory_parameters, name, name_length, element_index, value_slot,
                 value_length);
}
