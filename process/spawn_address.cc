// nlpcaini and nlpcatrm: a process address read into a spawn record and released again.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "kelnl/nlpc.h"
#include "kelnl/nltrmsg.h"
#include "platform/core/allocator.h"
#include "process/spawn_internal.h"
#include "process/spawn_trace.h"

namespace kelnl::process {
namespace {

// Rows of nlpclutab, in table order.
enum SpawnField {
  kProgram, kArgv0, kType, kIn, kOut, kArgs, kEnvs, kPrivs, kOsds, kDetach, kTimeout, kEnvPolicy, kFieldCount
};
constexpr const char* kFieldNames[kFieldCount] = {"PROGRAM", "ARGV0",  "TYPE",   "IN",     "OUT",     "ARGS",
                                                  "ENVS",    "PRIVS",  "OSDS",   "DETACH", "TIMEOUT", "ENV_POLICY"};
constexpr char kUnknownProgram[] = "???";

struct AddressFields {
  const char* texts[kFieldCount] = {};
  std::size_t lengths[kFieldCount] = {};
  bool Present(SpawnField field) const { return texts[field] != nullptr; }
  std::string_view View(SpawnField field) const { return {texts[field], lengths[field]}; }
};

// Copies texts one after the other into the record's buffer, each terminated.
class BufferWriter {
 public:
  explicit BufferWriter(char* buffer) : next_(buffer) {}
  char* Copy(std::string_view text) {
    char* start = next_;
    std::memcpy(start, text.data(), text.size());
    start[text.size()] = '\0';
    next_ += text.size() + 1;
    return start;
  }

 private:
  char* next_;
};

bool MatchesStartOf(std::string_view value, std::string_view word) {
  const std::size_t compared = std::min(value.size(), word.size());
  return StartsWithIgnoringCase(word, std::string_view(value.data(), compared));
}

void ReadFlags(const AddressFields& fields, NlSpawnRecord* record) {
  if (fields.Present(kDetach)) {
    const std::string_view detach = fields.View(kDetach);
    if (StartsWithIgnoringCase(detach, "no") || StartsWithIgnoringCase(detach, "false")) {
      record->options |= NLPC_OPTION_NO_DETACH;
    }
  }
  if (fields.Present(kTimeout)) record->timeout = std::atoi(fields.texts[kTimeout]);
  if (fields.Present(kEnvPolicy)) {
    const std::string_view policy = fields.View(kEnvPolicy);
    if (MatchesStartOf(policy, "NONE")) {
      record->env_policy |= NLPC_ENV_POLICY_NONE;
    } else if (MatchesStartOf(policy, "SPECIAL")) {
      record->env_policy |= NLPC_ENV_POLICY_SPECIAL;
    }
  }
}

// The buffer holds every present field once, the first argument (a copy of ARGV0, of PROGRAM or
// the placeholder) and the terminators. ARGV0 is kept only as that first argument, so a long
// ARGV0 never needs room twice. The placeholder, used when neither PROGRAM nor ARGV0 is there,
// needs one byte beyond the three the program's copy is given.
std::size_t BufferSize(const AddressFields& fields) {
  std::size_t size = 3 + fields.lengths[kProgram];
  for (int field = 0; field < kFieldCount; ++field) {
    if (fields.texts[field] != nullptr) size += fields.lengths[field] + 1;
  }
  if (!fields.Present(kProgram) && !fields.Present(kArgv0)) size += 1;
  return size;
}

std::string_view FirstArgument(const AddressFields& fields) {
  if (fields.Present(kArgv0)) return fields.View(kArgv0);
  if (fields.Present(kProgram)) return fields.View(kProgram);
  return kUnknownProgram;
}

// Each comma of the ARGS copy ends an argument; an empty argument ends the list.
void SplitArguments(char** argv) {
  char* next = argv[1];
  int index = 1;
  while (*next != '\0' && *next != ',') {
    argv[index++] = next;
    char* comma = std::strchr(next, ',');
    if (comma == nullptr) break;
    *comma = '\0';
    next = comma + 1;
  }
  argv[index] = nullptr;
}

bool BuildArguments(const AddressFields& fields, BufferWriter* writer, NlSpawnRecord* record) {
  if (fields.Present(kArgs)) {
    const std::string_view args = fields.View(kArgs);
    record->argc = static_cast<std::int32_t>(std::count(args.begin(), args.end(), ',')) + 2;
  } else if (fields.Present(kProgram)) {
    record->argc = 1;
  } else {
    return true;
  }
  record->argv = static_cast<char**>(Allocate((static_cast<std::size_t>(record->argc) + 1) * sizeof(char*)));
  if (record->argv == nullptr) return false;
  record->argv[0] = writer->Copy(FirstArgument(fields));
  record->argv[1] = nullptr;
  if (fields.Present(kArgs)) {
    record->argv[1] = writer->Copy(fields.View(kArgs));
    SplitArguments(record->argv);
  }
  return true;
}

bool BuildEnvironment(char* envs, std::size_t length, NlSpawnRecord* record) {
  if (envs == nullptr || length == 0) return snlpcenvini(record, nullptr, 0) == 0;
  const std::size_t capacity = static_cast<std::size_t>(std::count(envs, envs + length, ',')) + 1;
  UniqueBlock<char*> items(static_cast<char**>(Allocate(capacity * sizeof(char*))));
  if (items == nullptr) return false;
  const std::int32_t count = SplitEnvironmentText(envs, length, items.get());
  return snlpcenvini(record, items.get(), count) == 0;
}

std::int32_t Fill(NlGlobalContext* context, NlnvBinding* address, NlSpawnRecord* record,
                  const AddressFields& fields) {
  SpawnTrace trace(context, NLTR_COMPONENT_PROCESS_ADDRESS);
  for (int field = 0; field < kFieldCount; ++field) {
    if (fields.texts[field] != nullptr) trace.Texts(__LINE__, NLTR_ADDRESS_FIELD, kFieldNames[field], fields.texts[field]);
  }
  static constexpr char kPrivsPath[] = "ADDRESS/PRIVS";
  static constexpr char kOsdsPath[] = "ADDRESS/OSDS";
  NlnvBinding* found = nullptr;
  if (nlnvfbp(address, kPrivsPath, sizeof kPrivsPath - 1, &found, nullptr) == 0 &&
      nlnvcpb(found, &record->privs) != 0) {
    return -1;
  }
  if (nlnvfbp(address, kOsdsPath, sizeof kOsdsPath - 1, &found, nullptr) == 0 &&
      nlnvcpb(found, &record->osds) != 0) {
    return -1;
  }
  const std::size_t size = BufferSize(fields);
  record->buffer = static_cast<char*>(Allocate(size));
  if (record->buffer == nullptr) return -1;
  record->buffer_size = static_cast<std::uint32_t>(size);
  BufferWriter writer(record->buffer);
  char* copies[kFieldCount] = {};
  for (int field = 0; field < kFieldCount; ++field) {
    if (fields.texts[field] == nullptr || field == kArgv0 || field == kArgs || field == kEnvs) continue;
    copies[field] = writer.Copy(fields.View(static_cast<SpawnField>(field)));
  }
  record->program = copies[kProgram];
  record->program_length = static_cast<std::uint32_t>(fields.lengths[kProgram]);
  record->type = copies[kType];
  record->type_length = static_cast<std::uint32_t>(fields.lengths[kType]);
  record->in = copies[kIn];
  record->in_length = static_cast<std::uint32_t>(fields.lengths[kIn]);
  record->out = copies[kOut];
  record->out_length = static_cast<std::uint32_t>(fields.lengths[kOut]);
  ReadFlags(fields, record);
  if (!BuildArguments(fields, &writer, record)) return -1;
  char* envs = fields.Present(kEnvs) ? writer.Copy(fields.View(kEnvs)) : nullptr;
  if (!BuildEnvironment(envs, fields.lengths[kEnvs], record)) return -1;
  return 0;
}

}  // namespace
}  // namespace kelnl::process

extern "C" int32_t nlpcaini(NlGlobalContext* context, NlnvBinding* address, NlSpawnRecord* record) {
  using namespace kelnl::process;
  if (record == nullptr) return -1;
  *record = NlSpawnRecord{};
  AddressFields fields;
  const int32_t status = nlnvlet(address, nlpclutab, fields.texts, fields.lengths);
  if (status != 0) return status;
  bool any = false;
  for (const char* text : fields.texts) any = any || text != nullptr;
  if (!any) return 0;
  if (Fill(context, address, record, fields) != 0) {
    nlpcatrm(context, record);
    *record = NlSpawnRecord{};
    return -1;
  }
  return 0;
}

extern "C" int32_t nlpcatrm(NlGlobalContext*, NlSpawnRecord* record) {
  if (record == nullptr || (record->env_policy & NLPC_ENV_POLICY_CALLER_STORAGE) != 0) return 0;
  if (record->buffer_size != 0) kelnl::Release(record->buffer);
  kelnl::Release(record->argv);
  kelnl::Release(record->envv);
  nlnvdeb(record->privs);
  nlnvdeb(record->osds);
  record->buffer = nullptr;
  record->buffer_size = 0;
  record->argv = nullptr;
  record->envv = nullptr;
  record->privs = nullptr;
  record->osds = nullptr;
  return 0;
}
