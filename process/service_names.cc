// Service names: the base name per server, the listener's or names server's own name added, the
// home name inserted after the product word.
#include <cstdio>
#include <cstring>

#include "files/admin_file.h"
#include "kelnl/nlfn.h"
#include "kelnl/nlpa.h"
#include "process/service_names.h"
#include "process/spawn_internal.h"

namespace kelnl::process {
namespace {

constexpr char kProductWord[] = "Tarvo";
constexpr std::size_t kNameCapacity = 256;
constexpr char kNamesBase[] = "TarvoNames";
constexpr char kServerNameParameter[] = "names.server_name";

// The names parameter file: an "ifile=FILE" argument names it; the arguments up to that one are
// lower-cased on the way, as the names server reads them.
const char* IfileArgument(char** argv) {
  for (int i = 0; argv[i] != nullptr; ++i) {
    LowerInPlace(argv[i]);
    if (std::strstr(argv[i], "ifile") != nullptr) {
      const char* equals = std::strchr(argv[i], '=');
      return equals != nullptr ? equals + 1 : nullptr;
    }
  }
  return nullptr;
}

}  // namespace

void InsertHomeName(const char* base, char* buffer, std::size_t size) {
  char home_name[kNameCapacity + 1];
  const std::size_t word = sizeof kProductWord - 1;
  if (!ReadEnvironment("TARVO_HOME_NAME", home_name, sizeof home_name) || std::strncmp(base, kProductWord, word) != 0) {
    std::snprintf(buffer, size, "%s", base);
    return;
  }
  std::snprintf(buffer, size, "%s%s%s", kProductWord, home_name, base + word);
}

void ListenerServiceBaseName(char** argv, char* buffer, std::size_t size) {
  std::snprintf(buffer, size, "%s", "TarvoVQTListener");
  for (int i = 1; argv[i] != nullptr && argv[i][0] != '-'; ++i) {
    if (std::strchr(argv[i], '=') != nullptr) continue;
    if (!EqualsIgnoringCase(argv[i], "LISTENER")) std::strncat(buffer, argv[i], kNameCapacity);
    return;
  }
}

// A names file that cannot be read, or holds no server name, leaves the bare base name: the
// names server then runs under its default name.
void NamesServiceBaseName(char** argv, char* buffer, std::size_t size) {
  std::snprintf(buffer, size, "%s", kNamesBase);
  NlFileNameDesc desc{};
  if (const char* file = IfileArgument(argv)) {
    desc.base_name = file;
    desc.base_name_length = static_cast<std::uint32_t>(std::strlen(file));
  } else {
    desc = kelnl::files::AdminFile("NAMES", "kel", true);
  }
  char value[kNameCapacity + 1] = {};
  char* value_slot = value;
  std::uint32_t value_size = kNameCapacity;
  NlPrimaryErrorRecord record{};
  NlParameterTable* table = nullptr;
  if (nlpains(&record, &table, NLPA_LOOKUP_MODE, &desc, kServerNameParameter, sizeof kServerNameParameter - 1,
              &value_slot, &value_size, 0, nullptr) != 0) {
    nlpatrm(&record, &table);
    return;
  }
  nlpatrm(&record, &table);
  if (value_size <= kNameCapacity) value[value_size] = '\0';
  std::strncat(buffer, value, size - std::strlen(buffer) - 1);
}

}  // namespace kelnl::process
