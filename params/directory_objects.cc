// nlolgobj: reads the directory entry of an object and converts it into parameter pairs.
#include "diagnostics/operation_trace.h"
#include "kelnl/nltrmsg.h"
#include "params/directory_session.h"

namespace kelnl::params {
namespace {

constexpr char kListenerClass[] = "Nexalistener";
constexpr char kProfileClass[] = "Nexaprofile";
constexpr char kManagerClass[] = "Nexaconnectionmanager";

// An entry read for the whole of one conversion, released on every way out.
struct HeldEntry {
  explicit HeldEntry(dir::Directory* directory) : entry{directory, nullptr} {}
  ~HeldEntry() { ReleaseEntry(&entry); }
  HeldEntry(const HeldEntry&) = delete;
  HeldEntry& operator=(const HeldEntry&) = delete;
  NlolEntry entry;
  char name[kEntryNameSize] = "";
};

std::int32_t ReadBuilt(NlGlobalContext* context, const char* name, const char* object_class,
                       const AttributeTable& table, HeldEntry* held) {
  DirectoryText entry_name;
  const std::int32_t result = BuildEntryName(context, name, &entry_name);
  if (result != NLOL_OK) return result;
  return EntryOutcome(ReadEntry(&held->entry, entry_name.view().data(), object_class, table, held->name));
}

// A plain profile name is first completed into an entry name; when that cannot be built or names
// no entry, the name is read as it is given.
std::int32_t ReadProfileEntry(NlGlobalContext* context, const char* name, HeldEntry* held) {
  std::int32_t read = dir::kDirectoryEntryNotFound;
  if (IsPlainName(name)) {
    DirectoryText entry_name;
    const std::int32_t built = BuildEntryName(context, name, &entry_name);
    if (built == NLOL_NO_MEMORY) return built;
    if (built == NLOL_OK) read = ReadEntry(&held->entry, entry_name.view().data(), kProfileClass, kProfileTable, held->name);
  }
  if (read == dir::kDirectoryEntryNotFound) read = ReadEntry(&held->entry, name, kProfileClass, kProfileTable, held->name);
  return EntryOutcome(read);
}

std::int32_t LoadListener(NlGlobalContext* context, dir::Directory* directory, const char* name, NlolPair*** pairs,
                          std::uint32_t* count) {
  HeldEntry held(directory);
  const std::int32_t result = ReadBuilt(context, name, kListenerClass, kListenerTable, &held);
  return result == NLOL_OK ? nlolglist(context, name, pairs, count, &held.entry, held.name) : result;
}

// The shared profile's parameters come first; the profile's own replace those of the same name.
std::int32_t LoadProfile(NlGlobalContext* context, dir::Directory* directory, const char* name, NlolPair*** pairs,
                         std::uint32_t* count) {
  HeldEntry held(directory);
  std::int32_t result = ReadProfileEntry(context, name, &held);
  char** shared_name = nullptr;
  if (result == NLOL_OK) result = GetValues(&held.entry, kSharedProfileAttribute, &shared_name);
  if (result != NLOL_OK) return result;
  const bool shared = shared_name != nullptr && shared_name[0] != nullptr && shared_name[0][0] != '\0';
  if (shared) {
    HeldEntry shared_held(directory);
    result = ReadProfileEntry(context, shared_name[0], &shared_held);
    if (result == NLOL_OK) result = nlolgprof(context, shared_name[0], pairs, count, &shared_held.entry, shared_held.name, 0);
    if (result != NLOL_OK) return result;
  }
  return nlolgprof(context, name, pairs, count, &held.entry, held.name, shared ? 1 : 0);
}

std::int32_t LoadManager(NlGlobalContext* context, dir::Directory* directory, const char* name, NlolPair*** pairs,
                         std::uint32_t* count) {
  HeldEntry held(directory);
  std::int32_t result = ReadBuilt(context, name, kManagerClass, kConnectionManagerTable, &held);
  DirectoryText profile_name;
  DirectoryText rules_name;
  profile_name.Append(name).Append("_profile");
  rules_name.Append(name).Append("_rules");
  if (profile_name.failed() || rules_name.failed()) result = NLOL_NO_MEMORY;
  const std::uint32_t first = *count;
  if (result == NLOL_OK) result = PutPair(pairs, count, name, nullptr);
  if (result == NLOL_OK) result = PutPair(pairs, count, profile_name.view(), nullptr);
  if (result == NLOL_OK) result = PutPair(pairs, count, rules_name.view(), nullptr);
  if (result == NLOL_OK) result = nlolgcman(context, name, pairs, count, &held.entry, held.name);
  if (result != NLOL_OK) return result;
  for (std::uint32_t i = *count; i-- > first;) {
    if ((*pairs)[i]->value == nullptr) RemovePair(*pairs, count, i);
  }
  return NLOL_OK;
}

std::int32_t LoadService(NlGlobalContext* context, dir::Directory* directory, const char* name, NlolPair*** pairs,
                         std::uint32_t* count) {
  HeldEntry held(directory);
  std::int32_t result = EntryOutcome(LookUpServiceEntry(&held.entry, name, kServiceTable, held.name));
  if (result == NLOL_OK) result = PutPair(pairs, count, name, nullptr);
  return result == NLOL_OK ? nlolgserv(context, name, pairs, count, &held.entry, held.name) : result;
}

std::int32_t LoadObject(NlGlobalContext* context, dir::Directory* directory, const char* name, std::int32_t kind,
                        NlolPair*** pairs, std::uint32_t* count) {
  switch (kind) {
    case NLOL_KIND_LISTENER: return LoadListener(context, directory, name, pairs, count);
    case NLOL_KIND_PROFILE:
    case NLOL_KIND_PROFILE_BY_NAME: return LoadProfile(context, directory, name, pairs, count);
    case NLOL_KIND_CONNECTION_MANAGER: return LoadManager(context, directory, name, pairs, count);
    case NLOL_KIND_SERVICE_NAME: return LoadService(context, directory, name, pairs, count);
    default: return NLOL_FAILED;
  }
}

}  // namespace
}  // namespace kelnl::params

extern "C" int32_t nlolgobj(NlGlobalContext* context, const char* name, int32_t kind, NlolPair*** pairs,
                            uint32_t* count) {
  using namespace kelnl::params;
  kelnl::diagnostics::OperationTrace trace(context, NLTR_COMPONENT_DIRECTORY_OBJECTS);
  trace.Entry(__LINE__);
  if (pairs == nullptr || count == nullptr) return trace.Exit(__LINE__, NLOL_FAILED);
  *pairs = nullptr;
  *count = 0;
  if (name == nullptr || context == nullptr) return trace.Exit(__LINE__, NLOL_FAILED);
  kelnl::dir::Directory* directory = nullptr;
  std::int32_t result = OpenConfiguredDirectory(context, &directory);
  if (result == NLOL_OK) result = LoadObject(context, directory, name, kind, pairs, count);
  kelnl::dir::DirectoryClose(&directory);
  // Half a conversion is no configuration: the caller gets all the pairs or none.
  if (result != NLOL_OK) {
    nlolfmem(context, *pairs, *count);
    *pairs = nullptr;
    *count = 0;
  }
  return trace.Exit(__LINE__, result);
}
