// nlpainso, the entry point startup reads its parameters through (parameter files and command
// line, or the directory), and nlpaload, the reader of the protocol parameter file.
#include <cstdint>
#include <cstring>

#include "diagnostics/trace_config.h"
#include "files/admin_file.h"
#include "kelnl/nldt.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nlpa.h"
#include "kelnl/nltrmsg.h"
#include "params/directory_loader.h"
#include "platform/core/core.h"

namespace {

constexpr std::int32_t kKindOther = 4;
constexpr std::int32_t kProfileKind = 2;
constexpr std::int32_t kProfileByNameKind = 8;
constexpr char kDefaultProfile[] = "NetProfile";
// Room for a directory entry name: longer ones could not be read back from the directory.
constexpr std::size_t kProfileNameCapacity = 512;
// The working directory is taken only when it is short; a longer one is not searched.
constexpr std::uint32_t kWorkingDirectoryCapacity = 128;
constexpr std::uint32_t kTraceLevel = 15;
constexpr int kEventGeneral = 1;

bool DirectoryConfigured(NlGlobalContext* context) {
  char* method = nullptr;
  std::uint32_t length = 0;
  static constexpr char kName[] = "net_config_method";
  if (nlpagetldparam(context, kName, sizeof kName - 1, 1, &method, &length, 1) != 0) return false;
  return method != nullptr && length >= 4 && lstmclo(method, "ldap", 4) == 0;
}

// The profile a kind-2 read without a name loads. An environment value naming a path of the
// directory (holding both '/' and '=') keeps kind 2; any other names the profile entry itself.
// False when the variable is set but empty, or too long to name an entry.
bool ProfileFromEnvironment(char* buffer, std::int32_t* kind) {
  SlCoreError core_error{};
  static constexpr char kVariable[] = "kelnet_profile";
  const std::int32_t length =
      slzgetevar(&core_error, kVariable, sizeof kVariable - 1, buffer, kProfileNameCapacity - 1, 0);
  if (length < 0) {
    std::memcpy(buffer, kDefaultProfile, sizeof kDefaultProfile);
    return true;
  }
  if (length == 0 || static_cast<std::size_t>(length) >= kProfileNameCapacity) return false;
  buffer[length] = '\0';
  if (std::strchr(buffer, '/') == nullptr || std::strchr(buffer, '=') == nullptr) *kind = kProfileByNameKind;
  return true;
}

void TraceProtocolFile(NlGlobalContext* context, std::uint32_t line, std::uint32_t message, const char* name) {
  NlTraceContext* trace = context != nullptr ? context->trace : nullptr;
  if (!kelnl::diagnostics::TraceIsOn(trace)) return;
  NlPrimaryErrorRecord scratch{};
  nldtotrc(&scratch, trace, 0, NLTR_COMPONENT_PROTOCOL_LOAD, line, kTraceLevel, kEventGeneral, 0, message, "%s",
           name);
}

// The name of the file a table was read from: the first recorded one, else the second.
const char* FileReadName(NlParameterTable* const* table_slot) {
  const NlParameterTable* table = table_slot != nullptr ? *table_slot : nullptr;
  if (table == nullptr) return "";
  return table->first_file_name[0] != '\0' ? table->first_file_name : table->second_file_name;
}

// The name a failed read tried: the first location of the descriptor, existing or not.
void TraceNotRead(NlGlobalContext* context, std::uint32_t line, NlFileNameDesc desc) {
  NlTraceContext* trace = context != nullptr ? context->trace : nullptr;
  if (!kelnl::diagnostics::TraceIsOn(trace)) return;
  char name[NLPA_FILE_NAME_CAPACITY];
  std::uint32_t length = 0;
  NlOsErrorRecord os_error{};
  desc.flags &= ~NLFN_MUST_EXIST;
  if (nlfncons(&os_error, &desc, name, sizeof name, &length) != 0 || length >= sizeof name) length = 0;
  name[length] = '\0';
  TraceProtocolFile(context, line, NLTR_PROTOCOL_FILE_NOT_READ, name);
}

NlFileNameDesc ProtocolFile() {
  NlFileNameDesc desc{};
  desc.base_name = "protocol";
  desc.base_name_length = 8;
  desc.extension = "kel";
  desc.extension_length = 3;
  return desc;
}

// The directory objects of a kind and name into the table; a kind-2 read without a name takes
// the profile from the environment.
std::int32_t LoadNamedObjects(NlPrimaryErrorRecord* record, NlParameterTable* table, std::int32_t kind,
                              const char* name, NlGlobalContext* context,
                              const kelnl::params::DirectoryLookup& request) {
  char environment_profile[kProfileNameCapacity];
  if (kind == kProfileKind && (name == nullptr || name[0] == '\0')) {
    if (!ProfileFromEnvironment(environment_profile, &kind)) return nlepepe(record, 1, NLE_PARAM_REFUSED, kKindOther);
    name = environment_profile;
  }
  return kelnl::params::LoadDirectoryObjects(table, kind, name, context, request);
}

}  // namespace

extern "C" int32_t nlpainso(NlPrimaryErrorRecord* record, NlParameterTable** table_slot, uint32_t options,
                            const NlFileNameDesc* file, const char* wanted_name, uint32_t wanted_length,
                            char** value_slot, uint32_t* value_size, int32_t argc, char** argv,
                            int32_t source_kind, const char* profile_name, NlGlobalContext* context) {
  if (context == nullptr || !DirectoryConfigured(context)) {
    return nlpains(record, table_slot, options, file, wanted_name, wanted_length, value_slot, value_size, argc,
                   argv);
  }
  const bool lookup = (options & NLPA_LOOKUP_MODE) != 0;
  // Outside lookup mode the parameters need a table to go to, as for nlpains.
  if (table_slot == nullptr && !lookup) return nlepepe(record, 1, NLE_PARAM_NULL_TABLE, kKindOther);
  NlParameterTable* table = table_slot != nullptr ? *table_slot : nullptr;
  const bool made_here = table == nullptr;
  if (made_here) {
    const std::int32_t result =
        nlpains(record, &table, NLPA_CREATE_ONLY, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr);
    if (result != 0) return result;
  }
  const std::int32_t result =
      (options & NLPA_CREATE_ONLY) != 0
          ? 0
          : LoadNamedObjects(record, table, source_kind, profile_name, context,
                             {lookup, wanted_name, wanted_length, value_slot, value_size});
  // A lookup builds no table for the caller: one made only to hold the load goes again.
  if (made_here && (lookup || table_slot == nullptr)) {
    NlPrimaryErrorRecord scratch{};
    nlpatrm(&scratch, &table);
  } else if (made_here) {
    *table_slot = table;
  }
  return result;
}

extern "C" int32_t nlpaload(NlGlobalContext* context, NlParameterTable** table_slot) {
  NlPrimaryErrorRecord errors{};
  NlOsErrorRecord os_error{};
  char directory[kWorkingDirectoryCapacity];
  std::uint32_t directory_length = 0;
  if (snlfncdir(&os_error, directory, sizeof directory, &directory_length) == 0) {
    NlFileNameDesc here = ProtocolFile();
    here.explicit_directory = directory;
    here.explicit_directory_length = directory_length;
    here.flags = NLFN_MUST_EXIST;
    if (nlpains(&errors, table_slot, 0, &here, nullptr, 0, nullptr, nullptr, 0, nullptr) == 0) {
      TraceProtocolFile(context, __LINE__, NLTR_PROTOCOL_FILE_READ, FileReadName(table_slot));
      return 0;
    }
    TraceNotRead(context, __LINE__, here);
    errors = NlPrimaryErrorRecord{};
  }
  NlFileNameDesc admin = kelnl::files::AdminFile("protocol", "kel", true);
  const std::int32_t result = nlpains(&errors, table_slot, 0, &admin, nullptr, 0, nullptr, nullptr, 0, nullptr);
  if (result == 0) {
    TraceProtocolFile(context, __LINE__, NLTR_PROTOCOL_FILE_READ, FileReadName(table_slot));
  } else {
    TraceNotRead(context, __LINE__, admin);
  }
  return result;
}
